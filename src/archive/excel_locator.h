#pragma once
// Finding the spreadsheet program: the path remembered in e_path.ini, or the one
// the user picks, and the spreadsheet panel's Excel and BACK buttons.
#include "core/dialogs.h"

#include <optional>
#include <string>
#include <vector>

namespace archive {

inline constexpr const char* kExcelPathFile = "e_path.ini";
inline constexpr const char* kExcelProgramName = "EXCEL.EXE";

inline constexpr const char* kLocateExcel = "Please locate the EXCEL.EXE:";
inline constexpr const char* kExcelNotKnown =
    "EXCEL Location not known!  Please locate the EXCEL.EXE:";
inline constexpr const char* kInvalidExcelPath = "The path you have selected is invalid, try agin?";
inline constexpr const char* kInvalidExcelTitle = "INVALID EXCEL.EXE PATH";
inline constexpr const char* kExcelPathNotSaved = "Error - The EXCEL.EXE path could not be saved";
inline constexpr const char* kExcelLocateFailed = "Error - EXCEL.EXE could not be located";

// True when path names an ordinary file stored under exactly "EXCEL.EXE" (letter
// case included) in an existing folder. A pattern never passes.
bool isExcelPath(const std::string& path);

// The spreadsheet path: the remembered one when it still passes, else the one the
// user picks after firstMessage. Nothing when the user declines to try again.
std::optional<std::string> locateExcel(const std::string& appFolder,
                                       const std::string& firstMessage, core::Dialogs& dialogs);

// What the window shows of the spreadsheet panel after a click.
struct ExcelPanel {
    bool visible = true;
    std::optional<std::string> pathText; // new text of ExcelPathTextBox; nothing keeps it
};

// Excel_Click: opens the panel and runs the locator.
ExcelPanel Excel_Click(const std::string& appFolder, core::Dialogs& dialogs);

// BACKFROMEXEL_Click: closes the panel and changes nothing else.
inline ExcelPanel BACKFROMEXEL_Click() {
    return {false, std::nullopt};
}

} // namespace archive
