#include "help/help.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

using namespace testing_support;

TEST(Help, GuideOpensFromTheProgramFolderUnquoted) {
    RecordingLauncher launcher;
    help::Command1_Click("C:\\Tools\\My Bench\\", launcher);
    ASSERT_EQ(launcher.calls.size(), 1u);
    EXPECT_EQ(launcher.calls[0].kind, "text");
    EXPECT_EQ(launcher.calls[0].commandLine, "C:\\Tools\\My Bench\\Framewise_Guide.txt");
    // What Windows is given: one blank after the program, the path as it stands.
    EXPECT_EQ(platform::notepadCommandLine(launcher.calls[0].commandLine),
              "notepad.exe C:\\Tools\\My Bench\\Framewise_Guide.txt");
}

TEST(Help, EachLinkOpensItsAddress) {
    struct Case {
        help::Link link;
        const char* address;
    } cases[] = {
        {help::Link::Label8, "https://www.veltrix.example/tallywise/"},
        {help::Link::Label12, "https://forums.veltrix.example/forumdisplay.php?s=&forumid=38"},
        {help::Link::Picture3, "https://www.veltrix.example/"},
        {help::Link::Picture4, "https://www.veltrix.example"},
    };
    for (const auto& c : cases) {
        RecordingShell shell;
        help::openLink(c.link, shell);
        EXPECT_EQ(shell.opened, std::vector<std::string>{c.address});
    }
}

TEST(Help, BothPicturesLeadToTheSameHomePage) {
    // One names the root path, the other no path: the same page.
    auto root = help::linkAddress(help::Link::Picture3);
    EXPECT_EQ(root, help::linkAddress(help::Link::Picture4) + "/");
}
