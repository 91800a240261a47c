#pragma once
// The Advanced tab's frame for a game that reads and writes in a home folder of
// its own (OpenArena's fs_homepath): it shows that folder and lets the player
// choose another, or go back to the game's own. Call of Duty writes in its
// install, so the frame is hidden for it.
#include "core/dialogs.h"
#include "core/folders.h"

#include <QGroupBox>
#include <functional>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

namespace locate {
struct Outcome;
}

class HomePathFrame : public QGroupBox {
  public:
    // changed gets the game folder set up anew in the chosen home folder.
    HomePathFrame(QWidget* parent, core::Dialogs& dialogs, std::string appFolder,
                  std::function<void(const locate::Outcome&)> changed);

    // Shown, with this set-up's folders, for a game that takes a home folder.
    void showFor(const core::GameFolders& folders);

  private:
    void choose();
    void useDefault();
    void setUpAgain();

    core::Dialogs& dialogs_;
    std::string appFolder_;
    std::function<void(const locate::Outcome&)> changed_;
    core::GameFolders folders_;
    QLineEdit* path_ = nullptr;
    QLabel* writes_ = nullptr;
    QPushButton* choose_ = nullptr;
    QPushButton* default_ = nullptr;
};
