#pragma once
// The dialogs of a front end without a window: every message box's text goes to
// the error stream, questions are answered as the options said, and nothing is
// ever read from the user.
#include "core/dialogs.h"

#include <iosfwd>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace cli {

class StreamDialogs : public core::Dialogs {
  public:
    explicit StreamDialogs(std::ostream& err) : err_(err) {}

    // Answers to questions, by the box's title, and the option that gave each.
    struct Answer {
        core::Answer answer;
        std::string option;
    };
    std::map<std::string, Answer> answers;
    // The answer to the one-line input box; its default text when not given.
    std::optional<std::string> inputAnswer;

    core::Answer message(const core::Message& m) override;
    std::string inputBox(const std::string& prompt, const std::string& title,
                         const std::string& defaultText) override;
    // No file can be chosen here: the dialog counts as cancelled.
    std::string openFile(core::FileDialog which, const std::string& filter) override;

    // The texts of every message shown, and the titles of questions no option answered.
    std::vector<std::string> shown;
    std::vector<std::string> unanswered;

    bool showed(const std::string& text) const;
    bool showedStartingWith(const std::string& words) const;

  private:
    std::ostream& err_;
};

// A window's message as the command line says it: where the window tells the
// user to press one of its buttons, the command that does the same is named.
std::string cliWording(const std::string& windowText);

// A message's text for a stream: CR LF (or a lone CR) become line feeds.
std::string plainLines(const std::string& text);

} // namespace cli
