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
        EXPECT_EQ(dialogs.shown[1].filter, kExcelProgramName);
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
        {"asked for in lower case, stored in capitals",
         [](const Office& s) { return s.excel.substr(0, s.excel.size() - 9) + "excel.exe"; }},
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
            .expectMessage(kInvalidExcelPath, core::Answer::No);
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
        .expectMessage(kInvalidExcelPath, core::Answer::No);
    EXPECT_FALSE(Excel_Click(s.app, dialogs).pathText.has_value());
    EXPECT_FALSE(fs::exists(s.pathFile()));
}

TEST(ExcelLocator, YesShowsTheFirstMessageAgain) {
    Office s;
    ScriptedDialogs dialogs;
    dialogs.expectMessage(kExcelNotKnown)
        .expectFileChoice(s.excel + ".bak")
        .expectMessage(kInvalidExcelPath, core::Answer::Yes)
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
                       ".\r\n\r\nIt is used this time only; e_path.ini was left as it was.");
    EXPECT_EQ(Excel_Click(s.app, dialogs).pathText, s.excel);
}
