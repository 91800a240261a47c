#pragma once
// Looking at archived reports: the preview of the chosen entry and opening a
// report in the text editor. The list itself is results/archive_list.h.
#include "core/dialogs.h"
#include "platform/launcher.h"

#include <optional>
#include <string>
#include <vector>

namespace archive {

// Combo_Results_Click: the new preview for the entry the combo box shows, or
// nothing when the preview stays as it is (the placeholder, or a report that
// cannot be read, which is told).
std::optional<std::string> Combo_Results_Click(const std::string& comboText, core::Dialogs& dialogs);

// open_results_Click: the chosen report in the text editor; the placeholder does nothing.
void open_results_Click(const std::string& comboText, platform::Launcher& launcher,
                        core::Dialogs& dialogs);

// resultopen_Click: the report generated in this run; nothing before the first one.
void resultopen_Click(const std::string& resultsloc, platform::Launcher& launcher,
                      core::Dialogs& dialogs);

std::vector<std::string> messageCatalog();

} // namespace archive
