#pragma once
// The modal dialogs every flow may show. The window supplies the Qt ones; tests
// supply a scripted fake that knows which dialogs to expect.
#include <string>

namespace core {

enum class Buttons { Ok, YesNo, YesNoCancel };
enum class Icon { None, Critical };
enum class Answer { Ok, Yes, No, Cancel };

inline constexpr const char* kProgramTitle = "Framewise";

struct Message {
    std::string text;
    std::string title = kProgramTitle;
    Buttons buttons = Buttons::Ok;
    Icon icon = Icon::None;
    Answer defaultButton = Answer::Ok;
    // The confirmations of the game lookup name a help file and topic for F1.
    std::string helpFile;
    int helpTopic = 0;
};

// The window's open-file dialogs; each keeps its own last choice.
enum class FileDialog { DIALOG_COD_FIND, CommonDialog3 };

class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual Answer message(const Message& m) = 0;
    // One-line input box; an empty text when the user cancels.
    virtual std::string inputBox(const std::string& prompt, const std::string& title,
                                 const std::string& defaultText) = 0;
    // Shows the dialog with this filter text; returns the chosen full path. A cancel
    // returns the dialog's previous choice, which is empty before the first one.
    virtual std::string openFile(FileDialog which, const std::string& filter) = 0;
    // The save dialog: the full path the user chose to write, empty on cancel.
    // A front end that cannot ask (the command line) cancels.
    virtual std::string saveFile(const std::string& title, const std::string& filter,
                                 const std::string& suggestedName) {
        (void)title, (void)filter, (void)suggestedName;
        return {};
    }
    // A folder chooser opened at start: the folder the user chose, empty on cancel.
    // A front end that cannot ask cancels.
    virtual std::string chooseFolder(const std::string& title, const std::string& start) {
        (void)title, (void)start;
        return {};
    }
};

// A plain OK box titled "Framewise", the house style for errors and notices.
inline Answer tell(Dialogs& d, const std::string& text) {
    Message m;
    m.text = text;
    return d.message(m);
}

} // namespace core
