// The game installed under Wine on Linux: the start-up lookup reads the install
// path from the prefix's registry file and finds the folder through its drives.
#include "locate/locate.h"
#include "platform/registry.h"

#include "support/fakes.h"
#include "support/scoped_env.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <optional>

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

// The head of system.reg as Wine writes it.
std::string hive(const std::string& arch, const std::string& sections) {
    return "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n" +
           (arch.empty() ? "" : "#arch=" + arch + "\n") + "\n" +
           "[Software\\\\Borland\\\\Database Engine] 1796908783\n#time=1dd88a924702878\n"
           "\"Configfile01\"=\"C:\\\\Common\\\\IDAPI32.CFG\"\n\n" +
           sections;
}

std::string section(const std::string& key, const std::string& valueLine) {
    return "[" + key + "] 1796908791\n#time=1dd88a9235b8018\n" + valueLine + "\n\n";
}

const std::string k32 = "Software\\\\Activision\\\\Call of Duty";
const std::string k64 = "Software\\\\Wow6432Node\\\\Activision\\\\Call of Duty";

// A prefix with drive c: in it and z: for the root, as wineboot lays it out.
struct Prefix {
    fs::path root;
    explicit Prefix(const fs::path& where) : root(where) {
        fs::create_directories(root / "dosdevices");
        fs::create_directories(root / "drive_c" / "windows");
        fs::create_symlink("../drive_c", root / "dosdevices" / "c:");
        fs::create_symlink("/", root / "dosdevices" / "z:");
    }
    fs::path driveC() const { return root / "drive_c"; }
};

struct Case {
    const char* what;
    std::string systemReg;  // empty: no file
    const char* gameBelowC; // where the game is installed, below drive_c
    bool found;             // the lookup offers the game's folder
};

// Start-up with no remembered path, in a fresh application folder: the
// confirmation of expected (answered Yes) and the game set up there, or the
// "not in the registry" message and a cancelled dialog.
void expectStartUp(const std::optional<fs::path>& expected) {
    TempDir tmp;
    const std::string app = tmp.path().string() + "/";
    auto registry = platform::systemRegistry();
    ScriptedDialogs dialogs;
    if (expected) {
        dialogs.expectMessage("Is: \"" + expected->string() +
                                  "/\"  the correct path to CallOfDuty?",
                              core::Answer::Yes);
        auto out = locate::startUp(app, dialogs, *registry);
        ASSERT_TRUE(out.proceed);
        EXPECT_EQ(out.folders.gameFolder, expected->string() + "/");
        EXPECT_EQ(readFile(app + "CoD_path.ini"), crlf({expected->string() + "/"}));
        EXPECT_EQ(out.demos, std::vector<std::string>{"bench1.dm_2"});
    } else {
        dialogs.expectMessage(locate::notInRegistryText()).expectFileCancel();
        EXPECT_FALSE(locate::startUp(app, dialogs, *registry).proceed);
    }
}

TEST(WinePrefix, InstallPathOfThe32BitViewLeadsToTheGameFolder) {
    const std::string installed = "\"InstallPath\"=\"C:\\\\Games\\\\Call of Duty\"";
    const Case cases[] = {
        {"32-bit prefix", hive("win32", section(k32, installed)), "Games/Call of Duty", true},
        {"32-bit prefix of old, no arch line", hive("", section(k32, installed)),
         "Games/Call of Duty", true},
        {"64-bit prefix, 32-bit view", hive("win64", section(k64, installed)), "Games/Call of Duty",
         true},
        {"64-bit prefix, value only in the 64-bit view", hive("win64", section(k32, installed)),
         "Games/Call of Duty", false},
        {"64-bit prefix, both views: the 32-bit one counts",
         hive("win64",
              section(k32, "\"InstallPath\"=\"C:\\\\Elsewhere\"") + section(k64, installed)),
         "Games/Call of Duty", true},
        {"key and value names in another letter case",
         hive("win32", section("SOFTWARE\\\\activision\\\\CALL OF DUTY",
                               "\"installpath\"=\"C:\\\\Games\\\\Call of Duty\"")),
         "Games/Call of Duty", true},
        {"escaped quotes, a character above ASCII, a trailing backslash",
         hive("win32", section(k32, "\"InstallPath\"=\"C:\\\\Caf\\xe9 \\\"Games\\\"\\\\CoD\\\\\"")),
         "Caf\xc3\xa9 \"Games\"/CoD", true},
        {"folder names in the path in another letter case",
         hive("win32", section(k32, "\"InstallPath\"=\"c:\\\\GAMES\\\\call OF duty\"")),
         "Games/Call of Duty", true},
        {"path that does not exist", hive("win32", section(k32, installed)), "Games/CoD", false},
        {"no such value", hive("win32", section(k32, "\"Version\"=\"1.2\"")), "Games/Call of Duty",
         false},
        {"a number, not a path", hive("win32", section(k32, "\"InstallPath\"=dword:00000001")),
         "Games/Call of Duty", false},
        {"another kind of value",
         hive("win32", section(k32, "\"InstallPath\"=str(2):\"C:\\\\Games\\\\Call of Duty\"")),
         "Games/Call of Duty", false},
        {"value cut short", hive("win32", section(k32, "\"InstallPath\"=\"C:\\\\Games\\\\Call")),
         "Games/Call of Duty", false},
        {"not a registry file",
         "\x7f"
         "ELF\x02\x01\x01" +
             section(k32, installed),
         "Games/Call of Duty", false},
        {"empty registry file", std::string(), "Games/Call of Duty", false},
        {"drive-relative path", hive("win32", section(k32, "\"InstallPath\"=\"C:Games\"")), "Games",
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir where;
        Prefix prefix(where.path() / "prefix");
        const fs::path game = prefix.driveC() / c.gameBelowC;
        makeGameInstall(game);
        writeFile(prefix.root / "system.reg", c.systemReg);
        ScopedEnv env("WINEPREFIX", prefix.root.string());
        expectStartUp(c.found ? std::optional<fs::path>(game) : std::nullopt);
    }
}

TEST(WinePrefix, DriveLetterLinkedOutsideThePrefixIsFollowed) {
    TempDir tmp;
    Prefix prefix(tmp.path() / "prefix");
    const fs::path elsewhere = tmp.path() / "disk";
    makeGameInstall(elsewhere / "CoD");
    fs::create_symlink(elsewhere, prefix.root / "dosdevices" / "d:");
    writeFile(prefix.root / "system.reg",
              hive("win64", section(k64, "\"InstallPath\"=\"D:\\\\CoD\"")));
    ScopedEnv env("WINEPREFIX", prefix.root.string());
    expectStartUp(elsewhere / "CoD");
}

TEST(WinePrefix, WithoutWineprefixTheHomePrefixIsRead) {
    TempDir tmp;
    Prefix prefix(tmp.path() / "home" / ".wine");
    makeGameInstall(prefix.driveC() / "CoD");
    writeFile(prefix.root / "system.reg",
              hive("win32", section(k32, "\"InstallPath\"=\"C:\\\\CoD\"")));
    ScopedEnv env("WINEPREFIX", std::nullopt);
    ScopedEnv home("HOME", (tmp.path() / "home").string());
    expectStartUp(prefix.driveC() / "CoD");
}

TEST(WinePrefix, MissingOrUnreadablePrefixCountsAsNoValue) {
    struct Broken {
        const char* what;
        void (*make)(const Prefix&);
    };
    const Broken cases[] = {
        {"no prefix at all", [](const Prefix& p) { fs::remove_all(p.root); }},
        {"no registry file", [](const Prefix&) {}},
        {"a folder where the file should be",
         [](const Prefix& p) { fs::create_directories(p.root / "system.reg"); }},
        {"a link to nowhere",
         [](const Prefix& p) { fs::create_symlink(p.root / "gone.reg", p.root / "system.reg"); }},
        {"no drive links",
         [](const Prefix& p) {
             writeFile(p.root / "system.reg",
                       hive("win32", section(k32, "\"InstallPath\"=\"C:\\\\CoD\"")));
             fs::remove_all(p.root / "dosdevices");
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir where;
        Prefix prefix(where.path() / "prefix");
        makeGameInstall(prefix.driveC() / "CoD");
        c.make(prefix);
        ScopedEnv env("WINEPREFIX", prefix.root.string());
        expectStartUp(std::nullopt);
    }
}

} // namespace
