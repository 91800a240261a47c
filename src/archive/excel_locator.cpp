#include "archive/excel_locator.h"

#include "core/folders.h"
#include "core/textfile.h"
#include "platform/files.h"
#include "platform/launcher.h"

#include <algorithm>
#include <exception>

namespace archive {

namespace {

constexpr const char* kCalcName = "LibreOffice Calc";

// The dialog returns paths with either separator on Windows.
std::size_t lastSeparator(const std::string& path) {
    const auto slash = path.find_last_of('/');
    const auto native = path.find_last_of(platform::folderSeparator());
    if (slash == std::string::npos) return native;
    if (native == std::string::npos) return slash;
    return std::max(slash, native);
}

std::string nameOf(const std::string& path) {
    const auto sep = lastSeparator(path);
    return sep == std::string::npos ? path : path.substr(sep + 1);
}

// The accepted names after EXCEL.EXE.
std::vector<std::string> otherPrograms() {
    std::vector<std::string> names;
    for (const auto& p : platform::spreadsheetPrograms())
        if (p.name != kExcelProgramName) names.push_back(p.name);
    return names;
}

bool askRetry(core::Dialogs& dialogs) {
    core::Message m;
    m.text = invalidSpreadsheetText();
    m.title = kInvalidExcelTitle;
    m.buttons = core::Buttons::YesNo;
    m.icon = core::Icon::Critical;
    m.defaultButton = core::Answer::No;
    return dialogs.message(m) == core::Answer::Yes;
}

} // namespace

std::optional<std::string> spreadsheetAt(const std::string& path) {
    const auto sep = lastSeparator(path);
    if (sep == std::string::npos)
        return std::nullopt; // relative names depend on the current folder
    const std::string folder = path.substr(0, sep + 1);
    const std::string typed = path.substr(sep + 1);
    if (typed.empty() || typed.find_first_of("*?") != std::string::npos) return std::nullopt;
    // On a case-sensitive disk "excel.exe" may sit beside "EXCEL.EXE": the exact
    // spelling is the one the lookup finds first.
    const auto files = platform::listFiles(folder, typed);
    if (files.empty()) return std::nullopt;
    const std::string stored =
        std::find(files.begin(), files.end(), typed) != files.end() ? typed : files.front();
    const auto programs = platform::spreadsheetPrograms();
    if (std::none_of(programs.begin(), programs.end(),
                     [&](const auto& p) { return p.name == stored; }))
        return std::nullopt;
    return folder + stored;
}

std::vector<std::string> spreadsheetArguments(const std::string& path) {
    const std::string name = nameOf(path);
    for (const auto& p : platform::spreadsheetPrograms())
        if (p.name == name) return p.arguments;
    return {};
}

std::string spreadsheetFilter() {
    const auto others = otherPrograms();
    if (others.empty()) return kExcelProgramName;
    std::string patterns = kExcelProgramName;
    for (const auto& n : others)
        patterns += " " + n;
    return std::string(kExcelProgramName) + " or " + kCalcName + " (" + patterns + ")";
}

std::string invalidSpreadsheetText() {
    const auto others = otherPrograms();
    if (others.empty()) return kInvalidExcelPath;
    std::string names;
    for (std::size_t i = 0; i < others.size(); ++i)
        names += (i == 0 ? "" : i + 1 == others.size() ? " or " : ", ") + others[i];
    return std::string(kInvalidExcelPath) + "\r\n\r\n" + kPickSpreadsheet + kCalcName + ": " +
           names + ".";
}

std::optional<std::string> locateExcel(const std::string& appFolder,
                                       const std::string& firstMessage, core::Dialogs& dialogs) {
    const std::string pathFile = appFolder + kExcelPathFile;
    if (platform::exactNamePresent(appFolder, kExcelPathFile)) {
        // A file with no line at all is as good as an empty path: ask.
        auto remembered = core::readFirstLine(core::fsPath(pathFile));
        if (remembered) {
            if (auto program = spreadsheetAt(*remembered)) return program;
        }
    }
    for (;;) {
        core::tell(dialogs, firstMessage);
        const std::string chosen =
            dialogs.openFile(core::FileDialog::CommonDialog3, spreadsheetFilter());
        if (auto program = spreadsheetAt(chosen)) {
            std::string why;
            if (!core::writeLines(core::fsPath(pathFile), {*program}, &why))
                core::tell(dialogs, std::string(kExcelPathNotSaved) + " in " + pathFile + " (" +
                                        why + ").\r\n\r\nIt is used this time only; " + kExcelPathFile +
                                        " was left as it was.");
            return program;
        }
        if (!askRetry(dialogs)) return std::nullopt;
    }
}

ExcelPanel Excel_Click(const std::string& appFolder, core::Dialogs& dialogs) {
    ExcelPanel panel;
    try {
        panel.pathText = locateExcel(appFolder, kLocateExcel, dialogs);
    } catch (const std::exception& e) {
        core::tell(dialogs, std::string(kExcelLocateFailed) + ": " + e.what() +
                                "\r\n\r\nThe EXCEL.EXE path shown was kept.");
    }
    return panel;
}

} // namespace archive
