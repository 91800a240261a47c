// The window and the command line, given the same choices, write the same files
// byte for byte and start the game with the same command line.
#include "cli/cli.h"

#include "bench/run_command.h"
#include "gui/window_fixture.h"

#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <map>
#include <sstream>

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

// Every file of a folder tree by its relative path, with its bytes.
std::map<std::string, std::string> filesUnder(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(root))
        if (e.is_regular_file()) files[fs::relative(e.path(), root).string()] = readFile(e.path());
    return files;
}

std::string warningText() {
    for (const auto& text : bench::messageCatalog())
        if (text.rfind("WARNING:", 0) == 0) return text;
    return {};
}

const std::string kComment = "GPU driver 5.1, \"quiet\" room";

} // namespace

TEST_F(WindowTest, CommandLineWritesTheWindowsFilesForTheSameChoices) {
    // The window: High and Custom, three resolutions, two runs, one result per
    // dump, the second demo, the Low preset with two settings changed.
    writeFile(game.demos() / "dusk.dm_2", "d");
    rememberGame();
    ASSERT_TRUE(window->Form_Load());
    get<QCheckBox>("Check_lo")->setChecked(false);
    get<QCheckBox>("Check_max")->setChecked(false);
    get<QCheckBox>("Check_custom")->setChecked(true);
    for (int i = 0; i < bench::kResolutionCount; ++i)
        get<QCheckBox>(("Check" + std::to_string(i)).c_str())
            ->setChecked(i == 0 || i == 9 || i == 11);
    get<QRadioButton>("run2")->setChecked(true);
    get<QRadioButton>("Option1")->setChecked(true);
    auto* demos = get<QListWidget>("DemoList");
    auto matches = demos->findItems(QStringLiteral("dusk.dm_2"), Qt::MatchExactly);
    ASSERT_EQ(matches.size(), 1);
    demos->setCurrentItem(matches.front());
    QTest::mouseClick(get<QPushButton>("Load_low"), Qt::LeftButton);
    get<QRadioButton>("op_md_lo")->setChecked(true);
    get<QCheckBox>("opt_blood")->setChecked(true);
    dialogs.expectMessage(warningText(), core::Answer::Yes).expectInput(kComment);
    QTest::mouseClick(get<QPushButton>("RUN"), Qt::LeftButton);
    ASSERT_EQ(launcher.calls.size(), 1u);

    // The command line on a second, identical install, with the same clock.
    TempDir other;
    GameInstall otherGame = makeGameInstall(other.path() / "game");
    writeFile(otherGame.demos() / "dusk.dm_2", "d");
    const std::string otherApp = folderValue(other.path() / "app");
    fs::create_directories(otherApp);
    std::vector<std::string> started;
    std::ostringstream out, err;
    cli::Services services{otherApp,
                           registry,
                           clock,
                           [&](const std::string& folder, const std::string& line) {
                               started.push_back(line);
                               EXPECT_EQ(folder, folderValue(otherGame.root));
                               return platform::WatchedStart{{true, {}}, nullptr};
                           },
                           {},
                           out,
                           err,
                           false,
                           [] {}};
    const int status = cli::run({"run",
                                 "--game",
                                 otherGame.root.string(),
                                 "--demo",
                                 "dusk",
                                 "--levels",
                                 "high,custom",
                                 "--res",
                                 "320x240,1600x1200,856x480",
                                 "--runs",
                                 "2",
                                 "--one-per-dump",
                                 "--preset",
                                 "low",
                                 "--custom",
                                 "model-detail=low",
                                 "--custom",
                                 "draw-blood=on",
                                 "--comment",
                                 kComment,
                                 "--yes"},
                                services);
    ASSERT_EQ(status, cli::kOk) << err.str();

    EXPECT_EQ(started, (std::vector<std::string>{launcher.calls[0].commandLine}));
    const auto windowFiles = filesUnder(game.main());
    EXPECT_GT(windowFiles.size(), 10u);
    EXPECT_EQ(filesUnder(otherGame.main()), windowFiles);
    // Neither remembered anything beyond the game folder.
    EXPECT_EQ(filesUnder(otherApp), (std::map<std::string, std::string>{}));
    EXPECT_EQ(filesUnder(appFolder).count("user1.ini"), 0u);
}

// The OpenArena home folder chosen in the window is the command line's too, so a
// run started by one is found by the other. Laid out as Debian installs the game.
TEST_F(WindowTest, CommandLineRunsTheWindowsOpenArenaInTheWindowsHomeFolder) {
    const ScopedHome homeSet(tmp.path() / "home");
    const fs::path oa = tmp.path() / "openarena";
    writeFile(oa / "openarena", "program");
    writeFile(oa / "baseoa" / "pak0.pk3", "pak");
    const fs::path chosen = tmp.path() / "oa-home";
    writeFile(chosen / "baseoa" / "q3config.cfg", "seta name player\n");
    writeFile(chosen / "baseoa" / "demos" / "mine.dm_71", "demo");
    writeFile(appFolder + "CoD_path.ini", crlf({folderValue(oa)}));
    ASSERT_TRUE(window->Form_Load());
    dialogs.expectFolderChoice(chosen.string());
    get<QPushButton>("ChooseHomePath")->click();
    ASSERT_EQ(window->folders().mainFolder, folderValue(chosen / "baseoa"));

    std::vector<std::string> started;
    std::ostringstream out, err;
    cli::Services services{appFolder,
                           registry,
                           clock,
                           [&](const std::string&, const std::string& line) {
                               started.push_back(line);
                               return platform::WatchedStart{{true, {}}, nullptr};
                           },
                           {},
                           out,
                           err,
                           false,
                           [] {}};
    const int status = cli::run({"run", "--demo", "mine", "--levels", "normal", "--res", "640x480",
                                 "--runs", "1", "--comment", "c", "--yes"},
                                services);
    ASSERT_EQ(status, cli::kOk) << err.str();
    EXPECT_EQ(started, (std::vector<std::string>{"openarena +set fs_homepath " + chosen.string() +
                                                 " +exec FRWb_lo.cfg"}));
    EXPECT_TRUE(fs::exists(chosen / "baseoa" / "FRWb_lo.cfg"));
    EXPECT_FALSE(fs::exists(tmp.path() / "home" / ".openarena" / "baseoa" / "FRWb_lo.cfg"));
}
