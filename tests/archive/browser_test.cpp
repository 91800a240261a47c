#include "results/archive_list.h"
#include "archive/browser.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

using namespace testing_support;

TEST(ArchiveBrowser, PreviewStartsWithAnEmptyLineThenTheReportLines) {
    TempDir dir;
    struct Case {
        std::string bytes;
        std::string preview;
    } cases[] = {
        {crlf({"one", "two", "three"}), "\r\none\r\ntwo\r\nthree"},
        {"", ""},
        {"no line end", "\r\nno line end"},
        {"lone\nLF\r\n", "\r\nlone\nLF"},
    };
    for (const auto& c : cases) {
        writeFile(dir.path() / "FRWb_r.txt", c.bytes);
        ScriptedDialogs dialogs;
        EXPECT_EQ(archive::Combo_Results_Click((dir.path() / "FRWb_r.txt").string(), dialogs), c.preview)
            << c.bytes;
    }
}

TEST(ArchiveBrowser, PlaceholderKeepsThePreviewAndOpensNothing) {
    ScriptedDialogs dialogs; // any dialog fails the test
    RecordingLauncher launcher;
    EXPECT_FALSE(archive::Combo_Results_Click(results::kPlaceholder, dialogs));
    archive::open_results_Click(results::kPlaceholder, launcher, dialogs);
    archive::resultopen_Click("", launcher, dialogs);
    EXPECT_TRUE(launcher.calls.empty());
}

TEST(ArchiveBrowser, AReportThatIsGoneIsToldAndThePreviewKept) {
    TempDir dir;
    const std::string gone = (dir.path() / "FRWb_gone.txt").string();
    ScriptedDialogs dialogs;
    dialogs.expectMessage("Error - The report could not be read: " + gone + " (it does not exist)");
    EXPECT_FALSE(archive::Combo_Results_Click(gone, dialogs));
}

TEST(ArchiveBrowser, OpenButtonsHandTheReportPathToTheEditorAsItStands) {
    ScriptedDialogs dialogs;
    RecordingLauncher launcher;
    const std::string path = "C:\\Program Files\\Framewise\\User Results\\FRWb_120426_193005.txt";
    archive::open_results_Click(path, launcher, dialogs);
    archive::resultopen_Click(path, launcher, dialogs);
    ASSERT_EQ(launcher.calls.size(), 2u);
    for (const auto& call : launcher.calls) {
        EXPECT_EQ(call.kind, "text");
        EXPECT_EQ(call.commandLine, path);
    }
    EXPECT_EQ(platform::notepadCommandLine(path), "notepad.exe " + path);
}

TEST(ArchiveBrowser, AnEditorThatCannotStartIsTold) {
    ScriptedDialogs dialogs;
    RecordingLauncher launcher;
    launcher.result = {false, "No program to open text files was found (xdg-open)."};
    dialogs.expectMessage("Error - The report could not be opened in the text editor: /r/FRWb_a.txt"
                          "\r\n\r\nNo program to open text files was found (xdg-open).");
    archive::open_results_Click("/r/FRWb_a.txt", launcher, dialogs);
}
