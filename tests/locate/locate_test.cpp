#include "core/game_dialogs.h"
#include "locate/locate.h"
#include "platform/files.h"

#include "support/fakes.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {
const std::string sep(1, platform::folderSeparator());
}
using core::Answer;

namespace {

class LocateTest : public ::testing::Test {
  protected:
    TempDir tmp;
    std::string app = (tmp.path() / "app").string() + sep;
    GameInstall game = makeGameInstall(tmp.path() / "game");
    std::string gameFolder = game.root.string() + sep;
    std::string gameNoSep = game.root.string();
    ScriptedDialogs dialogs;
    FakeRegistry registry;

    LocateTest() { std::filesystem::create_directories(tmp.path() / "app"); }

    void rememberGame(const std::string& fileName = "CoD_path.ini") {
        writeFile(app + fileName, crlf({gameFolder}));
    }
    std::string remembered(const std::string& fileName = "CoD_path.ini") {
        return readFile(app + fileName);
    }
    std::string confirmText(const std::string& folder) {
        return "Is: \"" + folder + sep + "\"  the correct path to CallOfDuty?";
    }
};

TEST_F(LocateTest, RememberedFileSkipsRegistryAndDialogs) {
    rememberGame();
    auto out = locate::startUp(app, dialogs, registry);
    ASSERT_TRUE(out.proceed);
    EXPECT_EQ(registry.reads, 0);
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(out.folders.appFolder, app);
    EXPECT_EQ(out.folders.gameFolder, gameFolder);
    EXPECT_EQ(out.folders.gameDrive, gameFolder.front()); // the drive letter on Windows
    EXPECT_EQ(out.folders.mainFolder, gameFolder + "MAIN" + sep);
    EXPECT_EQ(out.folders.demosFolder, gameFolder + "MAIN" + sep + "demos" + sep);
    EXPECT_EQ(out.demos, std::vector<std::string>{"bench1.dm_2"});
}

TEST_F(LocateTest, AnySpellingOfTheRememberedFileCountsAndIsRewrittenInPlace) {
    rememberGame("COD_path.ini");
    EXPECT_TRUE(locate::startUp(app, dialogs, registry).proceed);
    EXPECT_EQ(registry.reads, 0);

    auto other = makeGameInstall(tmp.path() / "other");
    dialogs.expectMessage("Please Locate CoDMP.exe:")
        .expectFileChoice((other.root / "CoDMP.exe").string())
        .expectMessage(confirmText(other.root.string()), Answer::Yes);
    EXPECT_TRUE(locate::relocate(app, dialogs).proceed);
    EXPECT_EQ(namesIn(app), std::vector<std::string>{"COD_path.ini"});
    EXPECT_EQ(remembered("COD_path.ini"), crlf({other.root.string() + sep}));
}

TEST_F(LocateTest, RegistryPathIsConfirmedAndRemembered) {
    // The registered value is the game folder itself, whatever its last name.
    registry.setText(locate::kRegistryKey, locate::kRegistryValue, gameFolder);
    dialogs.expectMessage(confirmText(gameNoSep), Answer::Yes);
    auto out = locate::startUp(app, dialogs, registry);
    ASSERT_TRUE(out.proceed);
    EXPECT_EQ(registry.reads, 1);
    EXPECT_EQ(remembered(), crlf({gameFolder}));
    EXPECT_EQ(out.folders.gameFolder, gameFolder);

    const auto& m = dialogs.shown.at(0).message;
    EXPECT_EQ(m.title, "CONFIRM COD ARENA PATH");
    EXPECT_EQ(m.buttons, core::Buttons::YesNo);
    EXPECT_EQ(m.icon, core::Icon::Critical);
    EXPECT_EQ(m.defaultButton, Answer::No);
    EXPECT_EQ(m.helpFile, "DEMO.HLP");
    EXPECT_EQ(m.helpTopic, 1000);
}

TEST_F(LocateTest, RegistryNumberBecomesItsDigits) {
    platform::RegistryValue v;
    v.kind = platform::RegistryValue::Kind::Number;
    v.number = -42;
    registry.values[std::string(locate::kRegistryKey) + "|" + locate::kRegistryValue] = v;
    dialogs.expectMessage(confirmText("-42"), Answer::No)
        .expectMessage("Please Locate CoDMP.exe:")
        .expectFileChoice(gameFolder + "CoDMP.exe")
        .expectMessage(confirmText(gameNoSep), Answer::Yes);
    EXPECT_TRUE(locate::startUp(app, dialogs, registry).proceed);
    EXPECT_EQ(remembered(), crlf({gameFolder}));
}

TEST_F(LocateTest, NoRegistryValueAsksForTheProgramAndRemembersItsFolder) {
    dialogs
        .expectMessage("Framewise was unable to find the location of\r\n\"CoDMP.exe\"in the "
                       "registry.\r\n  \r\nPlease Locate CoDMP.exe:")
        .expectFileChoice(gameFolder + "CoDMP.exe")
        .expectMessage(confirmText(gameNoSep), Answer::Yes);
    auto out = locate::startUp(app, dialogs, registry);
    ASSERT_TRUE(out.proceed);
    EXPECT_EQ(remembered(), crlf({gameFolder}));

    const auto& first = dialogs.shown.at(0).message;
    EXPECT_EQ(first.title, "Framewise");
    EXPECT_EQ(first.buttons, core::Buttons::Ok);
    EXPECT_EQ(first.icon, core::Icon::None);
    EXPECT_EQ(dialogs.shown.at(1).which, core::FileDialog::DIALOG_COD_FIND);
    EXPECT_EQ(dialogs.shown.at(1).filter, "CoDMP.exe (CoDMP.exe)");
}

TEST_F(LocateTest, AnsweringNoAsksAgainAndCancelKeepsThePreviousChoice) {
    auto other = makeGameInstall(tmp.path() / "other");
    dialogs.expectMessage(locate::notInRegistryText())
        .expectFileChoice((other.root / "CoDMP.exe").string())
        .expectMessage(confirmText(other.root.string()), Answer::No)
        .expectMessage("Please Locate CoDMP.exe:")
        .expectFileCancel()
        .expectMessage(confirmText(other.root.string()), Answer::No)
        .expectMessage("Please Locate CoDMP.exe:")
        .expectFileChoice(gameFolder + "CoDMP.exe")
        .expectMessage(confirmText(gameNoSep), Answer::Yes);
    auto out = locate::startUp(app, dialogs, registry);
    ASSERT_TRUE(out.proceed);
    EXPECT_EQ(out.folders.gameFolder, gameFolder);
    EXPECT_EQ(remembered(), crlf({gameFolder}));
}

// An empty or unreadable file at start is treated as absent: the user is asked.
// Cancelling the first dialog then deletes it and ends the program silently.
TEST_F(LocateTest, CancellingTheFirstDialogForgetsTheLocationAndEnds) {
    for (const std::string& content : {std::string(), std::string("\r\n")}) {
        SCOPED_TRACE(testing::PrintToString(content));
        writeFile(app + "cod_PATH.ini", content);
        ScriptedDialogs d;
        d.expectMessage(locate::notInRegistryText()).expectFileCancel();
        EXPECT_FALSE(locate::startUp(app, d, registry).proceed);
        EXPECT_TRUE(namesIn(app).empty());
    }
}

TEST_F(LocateTest, CancellingTheFirstRelocationDialogForgetsTheLocation) {
    rememberGame();
    dialogs.expectMessage("Please Locate CoDMP.exe:").expectFileCancel();
    EXPECT_FALSE(locate::relocate(app, dialogs).proceed);
    EXPECT_TRUE(namesIn(app).empty());
}

TEST_F(LocateTest, MissingPakFilesEndTheProgramButKeepTheFile) {
    for (const char* stray : {"", "PAK0.PK3"}) {
        SCOPED_TRACE(stray);
        std::filesystem::remove(game.main() / "pak0.pk3");
        if (*stray) writeFile(game.main() / stray, "x");
        rememberGame();
        // Every later start says the same without asking anything.
        for (int start = 0; start < 2; ++start) {
            ScriptedDialogs d;
            d.expectMessage("ERROR!  No CallOfDuty PAK Files Detected!");
            EXPECT_FALSE(locate::startUp(app, d, registry).proceed);
            EXPECT_EQ(remembered(), crlf({gameFolder}));
        }
    }
    EXPECT_EQ(registry.reads, 0);
}

TEST_F(LocateTest, DemoScanListsWholeNamesInListingOrder) {
    struct Case {
        std::vector<std::string> files;
        std::vector<std::string> demos;
    };
    const Case cases[] = {
        {{"B.dm_2", "notes.txt", "a.dm_2"}, {"a.dm_2", "B.dm_2"}},
        {{"readme.txt"}, {}},
        {{}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.files));
        TempDir t;
        std::string appFolder = t.folder();
        auto root = t.path() / "cod";
        writeFile(root / "Main" / "pak0.pk3", "pak");
        std::filesystem::create_directories(root / "Main" / "Demos");
        for (const auto& f : c.files)
            writeFile(root / "Main" / "Demos" / f, "demo");
        writeFile(appFolder + "CoD_path.ini", crlf({root.string() + sep}));
        ScriptedDialogs d;
        auto out = locate::startUp(appFolder, d, registry);
        ASSERT_TRUE(out.proceed);
        EXPECT_EQ(out.folders.mainFolder, root.string() + sep + "Main" + sep);
        EXPECT_EQ(out.folders.demosFolder, root.string() + sep + "Main" + sep + "Demos" + sep);
        EXPECT_EQ(out.demos, c.demos);
    }
}

TEST_F(LocateTest, RelocationMovesToTheNewInstallAndItsDemos) {
    rememberGame();
    auto other = makeGameInstall(tmp.path() / "other");
    std::filesystem::remove(other.demos() / "bench1.dm_2");
    writeFile(other.demos() / "zz.dm_2", "demo");
    dialogs.expectMessage("Please Locate CoDMP.exe:")
        .expectFileChoice((other.root / "CoDMP.exe").string())
        .expectMessage(confirmText(other.root.string()), Answer::Yes);
    auto out = locate::relocate(app, dialogs);
    ASSERT_TRUE(out.proceed);
    EXPECT_EQ(out.folders.gameFolder, other.root.string() + sep);
    EXPECT_EQ(out.demos, std::vector<std::string>{"zz.dm_2"});
}

TEST_F(LocateTest, RememberedFolderWithoutSeparatorStillFindsTheGame) {
    writeFile(app + "CoD_path.ini", crlf({gameNoSep}));
    auto out = locate::startUp(app, dialogs, registry);
    ASSERT_TRUE(out.proceed);
    EXPECT_EQ(out.folders.mainFolder, gameFolder + "MAIN" + sep);
}

} // namespace

// Debian's layout: a starter script in one folder naming the data folder, the
// data in another, the player's files in the home folder.
TEST_F(LocateTest, OpenArenaIsKnownByItsProgramOrItsDataAndWritesInItsHome) {
    const auto root = tmp.path() / "oa";
    const std::string lib = (root / "lib" / "openarena").string() + sep;
    writeFile(lib + "baseoa" + sep + "pak0.pk3", "pak");
    writeFile(lib + "baseoa" + sep + "demos" + sep + "shipped.dm_71", "demo");
    writeFile(root / "games" / "openarena",
              "#!/bin/sh\nIOQ3BINARY=ioquake3\nFS_BASEPATH=" + lib.substr(0, lib.size() - 1) +
                  "\nexec /usr/lib/ioquake3/${IOQ3BINARY} \"$@\"\n");
    const std::string home = (root / "home").string();
    writeFile(home + sep + "baseoa" + sep + "demos" + sep + "mine.dm_71", "demo");
    writeFile(home + sep + "baseoa" + sep + "demos" + sep + "old.dm_2", "demo");

    const auto& oa = core::openArenaProfile();
    for (const std::string& picked : {(root / "games" / "openarena").string(), lib}) {
        SCOPED_TRACE(picked);
        auto choice = locate::recogniseGame(picked);
        EXPECT_EQ(choice.game, &oa);
        EXPECT_EQ(choice.installFolder, lib);
        choice.homePath = home;
        auto set = locate::setUpGame(app, choice, dialogs);
        ASSERT_EQ(set.status, locate::SetUp::Status::Ready);
        EXPECT_EQ(set.folders.game, &oa);
        EXPECT_EQ(set.folders.gameFolder, lib);
        EXPECT_EQ(set.folders.mainFolder, home + sep + "baseoa" + sep);
        EXPECT_EQ(set.demos, (std::vector<std::string>{"mine.dm_71", "shipped.dm_71"}));
    }
    // The starter's folder is where the game is started from.
    EXPECT_EQ(locate::recogniseGame((root / "games" / "openarena").string()).programFolder,
              (root / "games").string() + sep);

    // Call of Duty's folder and an unknown one stay Call of Duty's.
    EXPECT_EQ(locate::recogniseGame(gameFolder).game, &core::codProfile());
    EXPECT_EQ(locate::recogniseGame((tmp.path() / "nothing").string()).game, &core::codProfile());
    EXPECT_EQ(locate::recogniseGame(gameFolder, &oa).game, &oa);

    // An install without its data is told in the game's own words.
    ScriptedDialogs d;
    d.expectMessage("ERROR!  No OpenArena PAK Files Detected!");
    core::GameNamedDialogs named(d, oa);
    locate::GameChoice broken{(root / "games").string() + sep, &oa, "", home};
    EXPECT_EQ(locate::setUpGame(app, broken, named).status, locate::SetUp::Status::NoPakFiles);
}

// The window's remembered home folder is handed to the game on its command line:
// a stored value the game could not take is the game's own default instead.
TEST_F(LocateTest, RememberedHomeFolderIsUsedOnlyWhenTheGameCanTakeIt) {
    const std::string home = (tmp.path() / "oa-home").string();
    struct Case {
        std::string stored;
        std::string used;
    };
    const Case cases[] = {
        {home + "\r\n", home},
        {home + "\n", home}, // written by hand with a line feed alone
        {home + " 2\r\n", ""},
        {home + ";quit\r\n", ""},
        {home + "\x1b" + "x\r\n", ""},
        {"relative\r\n", ""},
        {"\r\n", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        writeFile(app + "fs_homepath.ini", c.stored);
        EXPECT_EQ(locate::rememberedHomePath(app), c.used);
    }
    ASSERT_TRUE(locate::rememberHomePath(app, home));
    EXPECT_EQ(readFile(app + "fs_homepath.ini"), crlf({home}));
    ASSERT_TRUE(locate::rememberHomePath(app, ""));
    EXPECT_FALSE(std::filesystem::exists(app + "fs_homepath.ini"));
    EXPECT_EQ(locate::rememberedHomePath(app), "");
}
