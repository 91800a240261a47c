// The platform layer against the real system it runs on (Linux, or Windows as
// Wine provides it): the same expectations on both.
#include "core/textfile.h"
#include "platform/files.h"
#include "platform/launcher.h"
#include "platform/processes.h"
#include "platform/single_instance.h"
#include "support/fakes.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <thread>

namespace fs = std::filesystem;
using namespace testing_support;

namespace {

const std::string exeSuffix = FRAMEWISE_EXE_SUFFIX;

// A file copied next to this test program by the build.
fs::path besideTest(const std::string& name) {
    return fs::path(platform::programFolder()) / name;
}

bool waitFor(const std::function<bool()>& done,
             std::chrono::seconds limit = std::chrono::seconds(60)) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// The whole content once it holds a complete last line (the writer may still be at work).
std::string waitForLines(const fs::path& file, const std::string& lastLine) {
    std::string text;
    waitFor([&] {
        text = readFile(file);
        return text.size() >= lastLine.size() &&
               text.compare(text.size() - lastLine.size(), lastLine.size(), lastLine) == 0;
    });
    return text;
}

} // namespace

TEST(FolderValues, ProgramFolderEndsWithTheSeparatorAndHoldsThisProgram) {
    auto folder = platform::programFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), platform::folderSeparator());
    EXPECT_TRUE(fs::exists(besideTest("record_args" + exeSuffix)));
}

TEST(ExactNameLookup, ComparesTheStoredNameExactly) {
    TempDir dir;
    writeFile(dir.path() / "codmp.exe", "x");
    writeFile(dir.path() / "MAIN" / "pak0.pk3", "x");
    writeFile(dir.path() / "COD_path.ini", "x");
    std::string main = dir.folder() + "MAIN" + platform::folderSeparator();
    struct Case {
        std::string folder, name;
        bool present;
    } cases[] = {
        {dir.folder(), "CoDMP.exe", false}, // stored as codmp.exe: the game check must fail
        {dir.folder(), "codmp.exe", true},
        {main, "pak0.pk3", true},
        {main, "PAK0.PK3", false},
        {main, "pak1.pk3", false},
        {main, "*.pk3", false}, // a pattern is not a name
        {main, "pak?.pk3", false},
        {dir.folder(), "MAIN", true},
        {dir.folder(), "", false},
        {dir.folder() + "missing" + platform::folderSeparator(), "pak0.pk3", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(platform::exactNamePresent(c.folder, c.name), c.present) << c.folder << c.name;

    // The answer follows the folder as it is now, not as it was first seen.
    writeFile(dir.path() / "Game.cfg", "x");
    EXPECT_TRUE(platform::exactNamePresent(dir.folder(), "Game.cfg"));
    std::filesystem::remove(dir.path() / "Game.cfg");
    writeFile(dir.path() / "game.cfg", "x");
    EXPECT_FALSE(platform::exactNamePresent(dir.folder(), "Game.cfg"));
    EXPECT_EQ(platform::findIgnoringCase(dir.folder(), "Game.cfg"), "game.cfg");

    EXPECT_EQ(platform::findIgnoringCase(dir.folder(), "CoD_path.ini"), "COD_path.ini");
    EXPECT_EQ(platform::findIgnoringCase(dir.folder(), "CODMP.EXE"), "codmp.exe");
    EXPECT_EQ(platform::findIgnoringCase(dir.folder(), "user1.ini"), std::nullopt);
    EXPECT_EQ(platform::findIgnoringCase(dir.folder(), "*.ini"), std::nullopt);
}

TEST(FileListing, GivesOrdinaryFilesMatchingThePatternInNameOrder) {
    TempDir dir;
    for (const char* name :
         {"b.dm_2", "A.DM_2", "a_b.dm_2", "aab.dm_2", "notes.txt", "x.dm_2x", ".hidden.dm_2"})
        writeFile(dir.path() / name, "demo");
    fs::create_directories(dir.path() / "folder.dm_2");

    // Upper-case name order, as an NTFS folder lists: "_" sorts after the letters.
    std::vector<std::string> demos = {"A.DM_2", "aab.dm_2", "a_b.dm_2", "b.dm_2"};
    EXPECT_EQ(platform::listFiles(dir.folder(), "*.dm_2"), demos);
    EXPECT_EQ(platform::listFiles(dir.folder(), "*.txt"), std::vector<std::string>{"notes.txt"});
    EXPECT_EQ(platform::listFiles(dir.folder()).size(), demos.size() + 2);
    EXPECT_TRUE(
        platform::listFiles(dir.folder() + "none" + platform::folderSeparator(), "*.dm_2").empty());
}

// Linux names may hold the wildcard characters themselves.
TEST(FileListing, WildcardsMatchNamesThatHoldWildcardCharacters) {
    const struct {
        const char *name, *pattern;
        bool match;
    } cases[] = {{"*x.dm_2", "*.dm_2", true},   {"a*b*c", "*a*b*", true},
                 {"?.DM_2", "?.dm_2", true},    {"", "*?", false},
                 {"ab", "*a*a*", false},         {"xaya", "*a*a*", true}};
    for (const auto& c : cases)
        EXPECT_EQ(platform::matchesPattern(c.name, c.pattern), c.match) << c.name << " ~ " << c.pattern;
}

TEST(FileCopy, ReplacesTheTargetAndKeepsItWhenTheSourceIsMissing) {
    TempDir dir;
    writeFile(dir.path() / "config_mp.cfg", "new settings");
    writeFile(dir.path() / "config_mp.bak", "old backup");
    auto at = [&](const char* name) { return dir.folder() + name; };

    EXPECT_TRUE(platform::copyReplacing(at("config_mp.cfg"), at("config_mp.bak")));
    EXPECT_EQ(readFile(dir.path() / "config_mp.bak"), "new settings");
    EXPECT_TRUE(platform::copyReplacing(at("config_mp.cfg"), at("fresh.bak")));
    EXPECT_EQ(readFile(dir.path() / "fresh.bak"), "new settings");

    EXPECT_FALSE(platform::copyReplacing(at("missing.cfg"), at("config_mp.bak")));
    EXPECT_EQ(readFile(dir.path() / "config_mp.bak"), "new settings");
}

TEST(FileCopy, WholeCopyReplacesWhatALinkPointsToAndGivesTheSystemsReason) {
    TempDir dir;
    auto at = [&](const char* name) { return dir.folder() + name; };
    writeFile(dir.path() / "config_mp.bak", "the player's");
    writeFile(dir.path() / "dotfiles" / "config_mp.cfg", "the benchmark's");
    std::error_code ec;
    fs::create_symlink(dir.path() / "dotfiles" / "config_mp.cfg", dir.path() / "config_mp.cfg", ec);
    if (!ec) {
        EXPECT_EQ(platform::copyWhole(at("config_mp.bak"), at("config_mp.cfg"), at("scratch")), "");
        EXPECT_TRUE(fs::is_symlink(dir.path() / "config_mp.cfg"));
        EXPECT_EQ(readFile(dir.path() / "dotfiles" / "config_mp.cfg"), "the player's");
        EXPECT_FALSE(fs::exists(dir.path() / "dotfiles" / "scratch"));
        fs::remove(dir.path() / "config_mp.cfg");
    }
    // Whatever fails, the target stays as it was and the scratch file goes.
    writeFile(dir.path() / "config_mp.cfg", "the benchmark's");
    fs::create_directory(dir.path() / "folder.bak");
    EXPECT_EQ(platform::copyWhole(at("folder.bak"), at("config_mp.cfg"), at("scratch")),
              at("folder.bak") + " is a folder, not a file");
    EXPECT_NE(platform::copyWhole(at("missing.bak"), at("config_mp.cfg"), at("scratch")), "");
    EXPECT_EQ(readFile(dir.path() / "config_mp.cfg"), "the benchmark's");
    EXPECT_FALSE(fs::exists(dir.path() / "scratch"));
}

TEST(TextFiles, WrittenBytesMatchTheFixtureExactly) {
    TempDir dir;
    // A lone LF inside a line stays as it is and the line end is one CR LF:
    // nothing on the way may translate line ends.
    std::vector<std::string> lines = {"seta r_mode \"3\"",
                                      "wait 5; condump FRWb_1.lo\n+trailing lone LF", "", "end"};
    auto fixture = readFile(besideTest("written_lines.txt"));
    ASSERT_FALSE(fixture.empty());

    ASSERT_TRUE(core::writeLines(dir.path() / "lines.cfg", lines));
    EXPECT_EQ(readFile(dir.path() / "lines.cfg"), fixture);

    core::LineWriter w;
    ASSERT_TRUE(w.open(dir.path() / "pieces.txt"));
    w.write("seta r_mode ");
    w.line("\"3\"");
    for (std::size_t i = 1; i < lines.size(); ++i)
        w.line(lines[i]);
    ASSERT_TRUE(w.close());
    EXPECT_EQ(readFile(dir.path() / "pieces.txt"), fixture);

    EXPECT_EQ(core::readLines(dir.path() / "lines.cfg"), lines);
}

TEST(Launcher, StartsTheGameInItsFolderWithTheCommandLineAsGiven) {
    TempDir dir;
    fs::path game = dir.path() / "Call of Duty";
    fs::create_directories(game);
    fs::copy_file(besideTest("record_args" + exeSuffix), game / "CoDMP.exe");
    std::string gameFolder = game.string() + platform::folderSeparator();

    auto launched =
        platform::systemLauncher()->startGame(gameFolder, "CoDMP.exe +exec FRWb_hi.cfg");
    ASSERT_TRUE(launched.started) << launched.error;

    auto text = waitForLines(game / "record.txt", "arg=FRWb_hi.cfg\n");
    auto firstLf = text.find('\n');
    ASSERT_NE(firstLf, std::string::npos) << text;
    std::string cwd = text.substr(4, firstLf - 4);
    EXPECT_EQ(text.substr(0, 4), "cwd=");
    EXPECT_TRUE(fs::equivalent(cwd, game)) << cwd;
    EXPECT_EQ(text.substr(firstLf + 1), "arg=+exec\narg=FRWb_hi.cfg\n");
}

TEST(Launcher, ReportsAMissingGameProgram) {
    TempDir dir;
    auto launched =
        platform::systemLauncher()->startGame(dir.folder(), "CoDMP.exe +exec FRWb_hi.cfg");
    EXPECT_FALSE(launched.started);
    EXPECT_FALSE(launched.error.empty());
}

// Two real processes: the helper takes the guard and the test is refused, then
// the other way round. Another install's guard is another guard.
TEST(SingleCopy, OnlyOneProcessHoldsTheGuard) {
    TempDir dir;
    fs::copy_file(besideTest("single_copy_holder" + exeSuffix),
                  dir.path() / ("holder" + exeSuffix));
    const std::string locks = (dir.path() / "locks").string();
    const std::string name = "FramewiseTest";
    const std::string install = dir.folder();
    const std::string command = "holder" + exeSuffix + " " + name + " " + install + " " + locks;
    auto launcher = platform::systemLauncher();
    using State = platform::SingleCopy::State;

    ASSERT_TRUE(launcher->startGame(dir.folder(), command).started);
    EXPECT_EQ(waitForLines(dir.path() / "holder.txt", "\r\n"), "held\r\n");
    EXPECT_EQ(platform::acquireSingleInstanceIn(locks, name, install).state, State::Elsewhere);
    auto other = platform::acquireSingleInstanceIn(locks, name, install + "other");
    EXPECT_EQ(other.state, State::Held) << other.why;

    writeFile(dir.path() / "release", "");
    EXPECT_EQ(waitForLines(dir.path() / "released.txt", "\r\n"), "released\r\n");
    auto ours = platform::acquireSingleInstanceIn(locks, name, install);
    ASSERT_EQ(ours.state, State::Held) << ours.why;

    fs::remove(dir.path() / "holder.txt");
    ASSERT_TRUE(launcher->startGame(dir.folder(), command).started);
    EXPECT_EQ(waitForLines(dir.path() / "holder.txt", "\r\n"), "refused\r\n");
}

// Another process holds a game folder's guard: it is held for every spelling of
// that folder's path, and for no other folder.
TEST(GameFolderGuard, OneProcessHoldsItWhateverPathNamesTheFolder) {
    TempDir dir;
    fs::copy_file(besideTest("single_copy_holder" + exeSuffix),
                  dir.path() / ("holder" + exeSuffix));
    fs::create_directories(dir.path() / "Game" / "Main");
    fs::create_directories(dir.path() / "Other");
    const std::string game = (dir.path() / "Game").string();
    using State = platform::SingleCopy::State;
    auto launcher = platform::systemLauncher();
    ASSERT_TRUE(launcher
                    ->startGame(dir.folder(), "holder" + exeSuffix + " game-folder " + game +
                                                  platform::folderSeparator())
                    .started);
    EXPECT_EQ(waitForLines(dir.path() / "holder.txt", "\r\n"), "held\r\n");
    std::vector<std::string> spellings{game, (dir.path() / "Game" / "Main" / "..").string()};
    std::error_code ec; // a system without links tries the others
    fs::create_directory_symlink(dir.path() / "Game", dir.path() / "Link", ec);
    if (fs::is_symlink(dir.path() / "Link")) spellings.push_back((dir.path() / "Link").string());
    for (const auto& path : spellings)
        EXPECT_EQ(platform::acquireGameFolderGuard(path).state, State::Elsewhere) << path;
    auto other = platform::acquireGameFolderGuard((dir.path() / "Other").string());
    EXPECT_EQ(other.state, State::Held) << other.why;
    EXPECT_EQ(platform::acquireGameFolderGuard((dir.path() / "none").string()).state,
              State::Failed);

    writeFile(dir.path() / "release", "");
    EXPECT_EQ(waitForLines(dir.path() / "released.txt", "\r\n"), "released\r\n");
    auto ours = platform::acquireGameFolderGuard(game);
    ASSERT_EQ(ours.state, State::Held) << ours.why;
    // Held in this process, it is refused to a second taker here as well.
    EXPECT_EQ(platform::acquireGameFolderGuard(spellings.back()).state, State::Elsewhere);
}

// A real process started as CoDMP.exe from one folder; a copy in another folder
// that is not running does not count.
TEST(RunningProgram, FoundByTheFolderItWasStartedFrom) {
    TempDir running, idle;
    for (const auto* dir : {&running, &idle})
        fs::copy_file(besideTest("single_copy_holder" + exeSuffix), dir->path() / "CoDMP.exe");
    EXPECT_FALSE(platform::programRunning(running.folder(), "CoDMP.exe"));

    // The helper holds a guard of its own install until it is released.
    const std::string args = "FramewiseGame " + running.folder() + " " +
                             (running.path() / "locks").string();
    ASSERT_TRUE(platform::systemLauncher()->startGame(running.folder(), "CoDMP.exe " + args).started);
    EXPECT_EQ(waitForLines(running.path() / "holder.txt", "\r\n"), "held\r\n");
    EXPECT_TRUE(platform::programRunning(running.folder(), "CoDMP.exe"));
    EXPECT_FALSE(platform::programRunning(idle.folder(), "CoDMP.exe"));

    writeFile(running.path() / "release", "");
    EXPECT_TRUE(waitFor([&] { return !platform::programRunning(running.folder(), "CoDMP.exe"); }));
}
