#include "archive/excel_locator.h"

#include "platform/files.h"
#include "support/fakes.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace archive;
using testing_support::crlf;
using testing_support::readFile;
using testing_support::ScriptedDialogs;
using testing_support::writeFile;
namespace fs = std::filesystem;

namespace {

// An application folder and a folder holding a spreadsheet program.
struct Office {
    testing_support::TempDir tmp;
    std::string app;
    std::string excel; // a valid path
    Office() {
        const char sep = platform::folderSeparator();
        fs::create_directories(tmp.path() / "app");
        app = (tmp.path() / "app").string() + sep;
        excel = (tmp.path() / "Office").string() + sep + "EXCEL.EXE";
        writeFile(excel, "program");
    }
    fs::path pathFile() const { return fs::path(app) / kExcelPathFile; }
};

} // namespace

TEST(ExcelLocator, RememberedValidPathOpensThePanelWithoutAnyDialog) {
    Office s;
    writeFile(s.pathFile(), crlf({s.excel}));
    ScriptedDialogs dialogs;
    const auto panel = Excel_Click(s.app, dialogs);
    EXPECT_TRUE(panel.visible);
    EXPECT_EQ(panel.pathText, s.excel);
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST(ExcelLocator, UnusablePathFileAsksAndRemembersTheChoice) {
    // A stale path, an empty first line, and a file of no bytes all mean "not known".
    for (const std::string& content : {crlf({"C:\\Gone\\EXCEL.EXE"}), crlf({""}), std::string()}) {
        SCOPED_TRACE(content);
        Office s;
        writeFile(s.pathFile(), content);
        ScriptedDialogs dialogs;
        dialogs.expectMessage(kLocateExcel).expectFileChoice(s.excel);
        const auto panel = Excel_Click(s.app, dialogs);
        EXPECT_EQ(panel.pathText, s.excel);
        EXPECT_EQ(readFile(s.pathFile()), crlf({s.excel}));
        ASSERT_EQ(dialogs.shown.size(), 2u);
        EXPECT_EQ(dialogs.shown[0].message.title, core::kProgramTitle);
        EXPECT_EQ(dialogs.shown[1].which, core::FileDialog::CommonDialog3);
        EXPECT_EQ(dialogs.shown[1].filter, spreadsheetFilter());
    }
}

TEST(ExcelLocator, RefusedChoiceAsksToRetryAndNoLeavesEverythingAsItWas) {
    struct Case {
        const char* what;
        std::string (*choice)(const Office&);
    };
    const Case cases[] = {
        {"stored in lower case",
         [](const Office& s) {
             const std::string p = (s.tmp.path() / "Lower").string() + platform::folderSeparator();
             writeFile(p + "excel.exe", "program");
             return p + "excel.exe";
         }},
        {"a folder named EXCEL.EXE",
         [](const Office& s) {
             const auto dir = s.tmp.path() / "Dir" / "EXCEL.EXE";
             fs::create_directories(dir);
             return dir.string();
         }},
        {"a pattern",
         [](const Office& s) { return s.excel.substr(0, s.excel.size() - 9) + "*.EXE"; }},
        {"another program", [](const Office& s) { return s.app + "other.exe"; }},
        {"a bare name", [](const Office&) { return std::string(kExcelProgramName); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Office s;
        const std::string before = crlf({"C:\\Gone\\EXCEL.EXE"});
        writeFile(s.pathFile(), before);
        ScriptedDialogs dialogs;
        dialogs.expectMessage(kLocateExcel)
            .expectFileChoice(c.choice(s))
            .expectMessage(invalidSpreadsheetText(), core::Answer::No);
        const auto panel = Excel_Click(s.app, dialogs);
        EXPECT_TRUE(panel.visible);
        EXPECT_FALSE(panel.pathText.has_value());
        EXPECT_EQ(readFile(s.pathFile()), before);
        ASSERT_EQ(dialogs.shown.size(), 3u);
        const auto& ask = dialogs.shown[2].message;
        EXPECT_EQ(ask.title, kInvalidExcelTitle);
        EXPECT_EQ(ask.buttons, core::Buttons::YesNo);
        EXPECT_EQ(ask.icon, core::Icon::Critical);
        EXPECT_EQ(ask.defaultButton, core::Answer::No);
    }
}

TEST(ExcelLocator, CancelTheFirstTimeFailsAndNoCreatesNoPathFile) {
    Office s;
    ScriptedDialogs dialogs;
    dialogs.expectMessage(kLocateExcel)
        .expectFileCancel()
        .expectMessage(invalidSpreadsheetText(), core::Answer::No);
    EXPECT_FALSE(Excel_Click(s.app, dialogs).pathText.has_value());
    EXPECT_FALSE(fs::exists(s.pathFile()));
}

TEST(ExcelLocator, YesShowsTheFirstMessageAgain) {
    Office s;
    ScriptedDialogs dialogs;
    dialogs.expectMessage(kExcelNotKnown)
        .expectFileChoice(s.excel + ".bak")
        .expectMessage(invalidSpreadsheetText(), core::Answer::Yes)
        .expectMessage(kExcelNotKnown)
        .expectFileChoice(s.excel);
    EXPECT_EQ(locateExcel(s.app, kExcelNotKnown, dialogs), s.excel);
    EXPECT_EQ(readFile(s.pathFile()), crlf({s.excel}));
}

TEST(ExcelLocator, PathFileThatCannotBeWrittenIsToldAndThePathStillUsed) {
    Office s;
    fs::create_directories(s.pathFile()); // in the way of the file
    ScriptedDialogs dialogs;
    dialogs.expectMessage(kLocateExcel)
        .expectFileChoice(s.excel)
        .expectMessage(std::string(kExcelPathNotSaved) + " in " + s.pathFile().string() +
                       " (it is a folder).\r\n\r\nIt is used this time only; e_path.ini was left as it was.");
    EXPECT_EQ(Excel_Click(s.app, dialogs).pathText, s.excel);
}

TEST(ExcelLocator, TheStoredNameDecidesAndIsTheOneUsed) {
    // Windows takes EXCEL.EXE only; Linux also LibreOffice's Calc starters. The
    // name typed may differ in case: the name the folder returns must be exact.
    const bool windows = platform::folderSeparator() == '\\';
    struct Case {
        const char* stored;
        const char* typed;
        bool onWindows, onLinux;
        std::vector<std::string> arguments;
    };
    const Case cases[] = {
        {"EXCEL.EXE", "EXCEL.EXE", true, true, {}},
        {"EXCEL.EXE", "excel.exe", true, true, {}},
        {"excel.exe", "EXCEL.EXE", false, false, {}},
        {"localc", "localc", false, true, {}},
        {"localc", "LOCALC", false, true, {}},
        {"libreoffice", "libreoffice", false, true, {"--calc"}},
        {"soffice", "soffice", false, true, {"--calc"}},
        {"Soffice", "Soffice", false, false, {}},
        {"scalc", "scalc", false, false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.stored) + " typed as " + c.typed);
        Office s;
        const std::string folder = (s.tmp.path() / "bin").string() + platform::folderSeparator();
        writeFile(folder + c.stored, "program");
        const auto found = spreadsheetAt(folder + c.typed);
        if (windows ? c.onWindows : c.onLinux) {
            ASSERT_EQ(found, folder + c.stored);
            EXPECT_EQ(spreadsheetArguments(*found), c.arguments);
            // A choice in the dialog is remembered as stored, so it starts on any disk.
            writeFile(s.pathFile(), crlf({"gone"}));
            ScriptedDialogs dialogs;
            dialogs.expectMessage(kLocateExcel).expectFileChoice(folder + c.typed);
            EXPECT_EQ(Excel_Click(s.app, dialogs).pathText, found);
            EXPECT_EQ(readFile(s.pathFile()), crlf({*found}));
        } else {
            EXPECT_FALSE(found.has_value());
        }
    }
}

TEST(ExcelLocator, FilterAndRetryQuestionNameEveryAcceptedProgram) {
    if (platform::folderSeparator() == '\\') {
        EXPECT_EQ(spreadsheetFilter(), "EXCEL.EXE");
        EXPECT_EQ(invalidSpreadsheetText(), kInvalidExcelPath);
    } else {
        EXPECT_EQ(spreadsheetFilter(),
                  "EXCEL.EXE or LibreOffice Calc (EXCEL.EXE localc libreoffice soffice)");
        EXPECT_EQ(invalidSpreadsheetText(),
                  "The path you have selected is invalid, try agin?\r\n\r\n"
                  "Pick EXCEL.EXE, or LibreOffice Calc: localc, libreoffice or soffice.");
    }
}
