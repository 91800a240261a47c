#include "archive/browser.h"

#include "core/folders.h"
#include "core/textfile.h"
#include "results/archive_list.h"

namespace archive {

using results::kPlaceholder;

namespace {

constexpr const char* kCannotRead = "Error - The report could not be read: ";
constexpr const char* kCannotOpen = "Error - The report could not be opened in the text editor: ";

void openReport(const std::string& path, platform::Launcher& launcher, core::Dialogs& dialogs) {
    auto started = launcher.openTextFile(path);
    if (!started.started) core::tell(dialogs, kCannotOpen + path + "\r\n\r\n" + started.error);
}

} // namespace

std::vector<std::string> messageCatalog() { return {kCannotRead, kCannotOpen}; }

std::optional<std::string> Combo_Results_Click(const std::string& comboText, core::Dialogs& dialogs) {
    if (comboText == kPlaceholder) return std::nullopt;
    std::string why;
    auto bytes = core::readAll(core::fsPath(comboText), &why);
    if (!bytes) {
        // The entry may have been removed since the list was built, or typed by hand.
        core::tell(dialogs, kCannotRead + comboText + " (" + why + ")");
        return std::nullopt;
    }
    return results::previewText(*bytes);
}

void open_results_Click(const std::string& comboText, platform::Launcher& launcher,
                        core::Dialogs& dialogs) {
    if (comboText == kPlaceholder) return;
    openReport(comboText, launcher, dialogs);
}

void resultopen_Click(const std::string& resultsloc, platform::Launcher& launcher,
                      core::Dialogs& dialogs) {
    if (resultsloc.empty()) return;
    openReport(resultsloc, launcher, dialogs);
}

} // namespace archive
