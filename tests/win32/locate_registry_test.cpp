// The start-up lookup reading the game's real registry value (32-bit view) and
// confirming the folder it names.
#include "locate/locate.h"
#include "platform/registry.h"
#include "support/fakes.h"
#include "win32_support.h"

#include <gtest/gtest.h>

using namespace testing_support;

TEST(StartUpLookup, CandidateFolderIsTheRegisteredInstallPath) {
    TempDir app, games;
    auto game = makeGameInstall(games.path() / "Call of Duty");
    const std::string key = std::string("HKLM\\") + locate::kRegistryKey;
    // With and without a trailing backslash: the same folder either way.
    for (const std::string& registered : {game.root.string(), game.root.string() + "\\"}) {
        SCOPED_TRACE(registered);
        ASSERT_TRUE(win32test::regAdd(key, locate::kRegistryValue, "REG_SZ", registered));
        ScriptedDialogs dialogs;
        dialogs.expectMessage(locate::confirmation(game.root.string()).text, core::Answer::Yes);
        auto registry = platform::systemRegistry();
        auto outcome = locate::startUp(app.folder(), dialogs, *registry);
        EXPECT_TRUE(outcome.proceed);
        EXPECT_EQ(outcome.folders.gameFolder, game.root.string() + "\\");
        EXPECT_EQ(readFile(app.path() / locate::kPathFileName), crlf({game.root.string() + "\\"}));
        std::filesystem::remove(app.path() / locate::kPathFileName);
    }
    win32test::regDelete(key);
}
