#include "cli/stream_dialogs.h"

#include <algorithm>
#include <ostream>

namespace cli {

std::string plainLines(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

core::Answer StreamDialogs::message(const core::Message& m) {
    shown.push_back(m.text);
    if (m.title != core::kProgramTitle) err_ << m.title << ":\n";
    err_ << plainLines(m.text) << "\n";
    if (m.buttons == core::Buttons::Ok) {
        err_.flush();
        return core::Answer::Ok;
    }
    core::Answer answer =
        m.buttons == core::Buttons::YesNoCancel ? core::Answer::Cancel : core::Answer::No;
    if (auto it = answers.find(m.title); it != answers.end()) {
        answer = it->second.answer;
        err_ << "(answered "
             << (answer == core::Answer::Yes  ? "Yes"
                 : answer == core::Answer::No ? "No"
                                              : "Cancel")
             << " by " << it->second.option << ")\n";
    } else {
        unanswered.push_back(m.title);
    }
    err_.flush();
    return answer;
}

std::string StreamDialogs::inputBox(const std::string&, const std::string&,
                                    const std::string& defaultText) {
    return inputAnswer.value_or(defaultText);
}

std::string StreamDialogs::openFile(core::FileDialog, const std::string&) {
    return {};
}

bool StreamDialogs::showed(const std::string& text) const {
    return std::find(shown.begin(), shown.end(), text) != shown.end();
}

bool StreamDialogs::showedStartingWith(const std::string& words) const {
    return std::any_of(shown.begin(), shown.end(),
                       [&](const std::string& s) { return s.rfind(words, 0) == 0; });
}

} // namespace cli
