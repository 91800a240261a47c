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

std::string cliWording(const std::string& windowText) {
    // Longest first: a later entry must not rewrite what an earlier one wrote.
    static const std::pair<const char*, const char*> kWording[] = {
        {"you will need to RESTART Framewise\r\nto Generate results.",
         "you will need to run\r\nframewise-cli results to generate results."},
        {"When you press the GENERATE RESULTS button, your config",
         "When framewise-cli results compiles them, your config"},
        {"CLICK on the ADVANCED TAB and relocate CoDMP.exe.",
         "Give --game with the folder of CoDMP.exe."},
        {"press Generate Results", "run framewise-cli results"},
        {"Press Generate Results", "Run framewise-cli results"},
        {"press RUN", "run framewise-cli run"},
        {"Press RUN", "Run framewise-cli run"},
        {"Generate Results", "framewise-cli results"},
    };
    std::string text = windowText;
    for (const auto& [from, to] : kWording) {
        const std::string f = from, t = to;
        for (auto at = text.find(f); at != std::string::npos; at = text.find(f, at + t.size()))
            text.replace(at, f.size(), t);
    }
    return text;
}

core::Answer StreamDialogs::message(const core::Message& m) {
    shown.push_back(m.text);
    if (m.title != core::kProgramTitle) err_ << m.title << ":\n";
    err_ << plainLines(cliWording(m.text)) << "\n";
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
