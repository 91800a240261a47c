// Which folders a copy of the tool uses: the marker beside the program decides,
// and a system-wide copy follows the user's XDG folders.
#include "platform/tool_folders.h"

#include "support/fakes.h"
#include "support/scoped_env.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

namespace fs = std::filesystem;
using testing_support::ScopedEnv;
using testing_support::TempDir;

namespace {

TEST(ToolFolders, PortableCopyKeepsEverythingBesideTheProgramAndMakesNothing) {
    TempDir program;
    // A marker in another spelling does not count: the rule cannot flip by a rename.
    for (const char* other : {"", "System-Wide", "system-wide.txt"}) {
        if (*other) testing_support::writeFile(program.path() / other, "x");
        auto f = platform::toolFoldersOf(program.folder());
        EXPECT_FALSE(f.systemWide) << other;
        EXPECT_EQ(f.program, program.folder());
        EXPECT_EQ(f.settings, program.folder());
        EXPECT_EQ(f.data, program.folder());
        EXPECT_FALSE(fs::exists(program.path() / "User Results"));
    }
}

TEST(ToolFolders, SystemWideCopyUsesTheUsersFoldersAndMakesThem) {
    TempDir program, home, elsewhere;
    testing_support::writeFile(program.path() / platform::kSystemWideMarker, "x");
    ScopedEnv homeVar("HOME", home.path().string());
    const std::string h = home.path().string(), e = elsewhere.path().string();
    struct Case {
        std::optional<std::string> config, data;
        std::string settings, reports;
    } cases[] = {
        {std::nullopt, std::nullopt, h + "/.config/framewise/", h + "/.local/share/framewise/"},
        {e + "/conf", e + "/share/", e + "/conf/framewise/", e + "/share/framewise/"},
        // Empty and relative values are not base folders and are ignored.
        {"", "relative/share", h + "/.config/framewise/", h + "/.local/share/framewise/"},
    };
    for (const auto& c : cases) {
        ScopedEnv config("XDG_CONFIG_HOME", c.config), data("XDG_DATA_HOME", c.data);
        auto f = platform::toolFoldersOf(program.folder());
        EXPECT_TRUE(f.systemWide);
        EXPECT_EQ(f.program, program.folder());
        EXPECT_EQ(f.settings, c.settings);
        EXPECT_EQ(f.data, c.reports);
        EXPECT_TRUE(fs::is_directory(f.settings));
        EXPECT_TRUE(fs::is_directory(f.data + "User Results"));
    }
    // Nothing was written beside the program.
    EXPECT_EQ(testing_support::namesIn(program.path()),
              std::vector<std::string>{platform::kSystemWideMarker});
}

} // namespace
