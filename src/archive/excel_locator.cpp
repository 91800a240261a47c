#include "archive/excel_locator.h"

#include "core/folders.h"
#include "core/textfile.h"
#include "platform/files.h"

#include <algorithm>
#include <exception>

namespace archive {

namespace {

// The dialog returns paths with either separator on Windows.
std::size_t lastSeparator(const std::string& path) {
    const auto slash = path.find_last_of('/');
    const auto native = path.find_last_of(platform::folderSeparator());
    if (slash == std::string::npos) return native;
    if (native == std::string::npos) return slash;
    return std::max(slash, native);
}

bool askRetry(core::Dialogs& dialogs) {
    core::Message m;
    m.text = kInvalidExcelPath;
    m.title = kInvalidExcelTitle;
    m.buttons = core::Buttons::YesNo;
    m.icon = core::Icon::Critical;
    m.defaultButton = core::Answer::No;
    return dialogs.message(m) == core::Answer::Yes;
}

} // namespace

bool isExcelPath(const std::string& path) {
    const auto sep = lastSeparator(path);
    if (sep == std::string::npos) return false; // relative names depend on the current folder
    const std::string folder = path.substr(0, sep + 1);
    if (path.substr(sep + 1) != kExcelProgramName) return false;
    // Ordinary files only; on a case-sensitive disk "excel.exe" may sit beside it.
    const auto files = platform::listFiles(folder, kExcelProgramName);
    return std::find(files.begin(), files.end(), kExcelProgramName) != files.end();
}

std::optional<std::string> locateExcel(const std::string& appFolder,
                                       const std::string& firstMessage, core::Dialogs& dialogs) {
    const std::string pathFile = appFolder + kExcelPathFile;
    if (platform::exactNamePresent(appFolder, kExcelPathFile)) {
        // A file with no line at all is as good as an empty path: ask.
        auto remembered = core::readFirstLine(core::fsPath(pathFile));
        if (remembered && isExcelPath(*remembered)) return remembered;
    }
    for (;;) {
        core::tell(dialogs, firstMessage);
        const std::string chosen =
            dialogs.openFile(core::FileDialog::CommonDialog3, kExcelProgramName);
        if (isExcelPath(chosen)) {
            if (!core::writeLines(core::fsPath(pathFile), {chosen}))
                core::tell(dialogs, std::string(kExcelPathNotSaved) + " in " + pathFile +
                                        ".\r\n\r\nIt is used this time only; " + kExcelPathFile +
                                        " was left as it was.");
            return chosen;
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
