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
// Where other programs than Excel are accepted, the question goes on to name them.
inline constexpr const char* kPickSpreadsheet = "Pick EXCEL.EXE, or ";
inline constexpr const char* kInvalidExcelTitle = "INVALID EXCEL.EXE PATH";
inline constexpr const char* kExcelPathNotSaved = "Error - The EXCEL.EXE path could not be saved";
inline constexpr const char* kExcelLocateFailed = "Error - EXCEL.EXE could not be located";

// The spreadsheet program path names, as its folder stores it: the folder is
// looked up for the last name ignoring letter case, as Windows does, and the name
// the lookup returns must be one of this system's spreadsheet programs exactly
// ("EXCEL.EXE"; on Linux also LibreOffice's "localc", "libreoffice", "soffice").
// Ordinary files only; a pattern or a relative name never passes.
std::optional<std::string> spreadsheetAt(const std::string& path);

// The arguments the spreadsheet at path is started with ("--calc" for the
// LibreOffice starters), by its file name.
std::vector<std::string> spreadsheetArguments(const std::string& path);

// The file dialog's filter and the question after a refused choice, naming every
// spreadsheet program this system accepts.
std::string spreadsheetFilter();
std::string invalidSpreadsheetText();

// The spreadsheet path: the remembered one when it still passes, else the one the
// user picks after firstMessage, with the name as stored. Nothing when the user
// declines to try again.
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
