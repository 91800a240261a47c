#pragma once
// The window's message boxes, input box and open-file dialogs.
#include "core/dialogs.h"

#include <map>

class QWidget;

class QtDialogs : public core::Dialogs {
  public:
    void setParent(QWidget* parent) { parent_ = parent; }

    core::Answer message(const core::Message& m) override;
    std::string inputBox(const std::string& prompt, const std::string& title,
                         const std::string& defaultText) override;
    std::string openFile(core::FileDialog which, const std::string& filter) override;
    std::string saveFile(const std::string& title, const std::string& filter,
                         const std::string& suggestedName) override;
    std::string chooseFolder(const std::string& title, const std::string& start) override;

  private:
    QWidget* parent_ = nullptr;
    std::map<core::FileDialog, std::string> lastChoice_;
    std::string lastSaveFolder_;
};
