#include "fuzz_support.h"

#include <fstream>

namespace fuzz {

bool writeFile(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    return out && out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())) &&
           out.flush();
}

std::string AnsweringDialogs::next(bool& had) {
    had = used_ < answers_.size();
    return had ? answers_[used_++] : std::string();
}

core::Answer AnsweringDialogs::message(const core::Message& m) {
    ++shown;
    bool had = false;
    const std::string a = next(had);
    const bool no = had && !a.empty() && (a[0] == 'n' || a[0] == 'N');
    switch (m.buttons) {
    case core::Buttons::Ok:
        return core::Answer::Ok;
    case core::Buttons::YesNo:
        return no ? core::Answer::No : core::Answer::Yes;
    case core::Buttons::YesNoCancel:
        if (had && !a.empty() && (a[0] == 'c' || a[0] == 'C')) return core::Answer::Cancel;
        return no ? core::Answer::No : core::Answer::Yes;
    }
    return core::Answer::Ok;
}

std::string AnsweringDialogs::inputBox(const std::string&, const std::string&,
                                       const std::string&) {
    ++shown;
    bool had = false;
    return next(had);
}

std::string AnsweringDialogs::openFile(core::FileDialog which, const std::string&) {
    ++shown;
    bool had = false;
    std::string choice = next(had);
    std::string& last = lastFile_[which == core::FileDialog::DIALOG_COD_FIND ? 0 : 1];
    // A cancel gives the previous choice.
    if (!had || choice.empty()) return last;
    last = choice;
    return choice;
}

} // namespace fuzz
