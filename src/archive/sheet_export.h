#pragma once
// Typing a benchmark run that has not been compiled yet into a new spreadsheet,
// cell by cell, by synthesised keystrokes. No report is written and the run's
// files stay in the main folder, so "Generate Results" can still follow.
#include "archive/excel_locator.h"
#include "core/dialogs.h"
#include "core/folders.h"
#include "platform/keys.h"
#include "platform/launcher.h"

#include <string>
#include <vector>

namespace archive {

inline constexpr const char* kSheetNotStarted = "Error - The spreadsheet could not be started";
inline constexpr const char* kKeysNotSent =
    "Error - The keystrokes could not be sent to the spreadsheet";
inline constexpr const char* kSheetNoFocus =
    "Error - The spreadsheet did not take the keyboard focus";
inline constexpr const char* kFocusLeft =
    "Error - The keyboard focus left the spreadsheet";
// How long a starting spreadsheet may take to show its window.
inline constexpr int kFocusTimeoutMs = 30000;
inline constexpr const char* kExportFailed = "Error - The export to the spreadsheet failed";

// GenerateEXCEL_Click: locates the spreadsheet, restores the game configuration,
// starts the spreadsheet and types the run into it. Every fault is told; keys
// already sent stay sent.
ExcelPanel GenerateEXCEL_Click(const core::GameFolders& folders, core::Dialogs& dialogs,
                               platform::Launcher& launcher, platform::KeySender& keys);

// The first words of every message the spreadsheet panel can show that no other
// catalog lists.
std::vector<std::string> sheetMessageCatalog();

} // namespace archive
