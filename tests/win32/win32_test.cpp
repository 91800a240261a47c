// Windows API answers as the tool receives them: the registry reader, the raw
// command lines given to CreateProcessA, and the address given to ShellExecuteA.
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/launcher.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/win32/win32_calls.h"
#include "support/fakes.h"
#include "win32_support.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

namespace fs = std::filesystem;
using namespace testing_support;
using platform::RegistryValue;

namespace {

const std::string testKey = "SOFTWARE\\Framewise Test\\Values";

class Registry32 : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        const std::string key = "HKLM\\" + testKey;
        ASSERT_TRUE(
            win32test::regAdd(key, "InstallPath", "REG_SZ", "C:\\Program Files\\Call of Duty"));
        ASSERT_TRUE(win32test::regAdd(key, "Empty", "REG_SZ", ""));
        ASSERT_TRUE(win32test::regAdd(key, "Runs", "REG_DWORD", "4294967294"));
        ASSERT_TRUE(win32test::regAdd(key, "Blob", "REG_BINARY", "0102"));
        ASSERT_TRUE(win32test::regAdd(key, "Expandable", "REG_EXPAND_SZ", "%SystemRoot%"));
        // Only in the 64-bit view: the reader must not see it.
        ASSERT_TRUE(win32test::regAdd(key, "Only64", "REG_SZ", "wrong view", "/reg:64"));
    }
    static void TearDownTestSuite() { win32test::regDelete("HKLM\\SOFTWARE\\Framewise Test"); }
};

} // namespace

TEST_F(Registry32, ReaderGivesTextWithItsZeroANumberOrNothing) {
    auto registry = platform::systemRegistry();
    struct Case {
        std::string key, name;
        RegistryValue::Kind kind;
        std::string text;
        std::int32_t number;
    } cases[] = {
        {testKey, "InstallPath", RegistryValue::Kind::Text,
         std::string("C:\\Program Files\\Call of Duty") + '\0', 0},
        {testKey, "Empty", RegistryValue::Kind::Text, std::string(1, '\0'), 0},
        {testKey, "Runs", RegistryValue::Kind::Number, "", -2},
        {testKey, "Blob", RegistryValue::Kind::Nothing, "", 0},
        {testKey, "Expandable", RegistryValue::Kind::Nothing, "", 0},
        {testKey, "Missing", RegistryValue::Kind::Nothing, "", 0},
        {testKey, "Only64", RegistryValue::Kind::Nothing, "", 0},
        {"SOFTWARE\\Framewise Test\\No such key", "InstallPath", RegistryValue::Kind::Nothing, "",
         0},
    };
    for (const auto& c : cases) {
        auto v = registry->readLocalMachine(c.key, c.name);
        EXPECT_EQ(v.kind, c.kind) << c.name;
        EXPECT_EQ(v.text, c.text) << c.name;
        EXPECT_EQ(v.number, c.number) << c.name;
    }
}

TEST_F(Registry32, ValueQueryReportsTheRegistryStatusAndFillsOnlyOnSuccess) {
    HKEY key = nullptr;
    ASSERT_EQ(::RegOpenKeyExA(HKEY_LOCAL_MACHINE, testKey.c_str(), 0,
                              KEY_QUERY_VALUE | KEY_WOW64_32KEY, &key),
              ERROR_SUCCESS);
    struct Case {
        std::string name;
        LONG status;
        bool filled;
    } cases[] = {
        {"InstallPath", 0, true},
        {"Runs", 0, true},
        {"Blob", -1, false},
        {"Expandable", -1, false},
        {"Missing", ERROR_FILE_NOT_FOUND, false},
    };
    for (const auto& c : cases) {
        RegistryValue v;
        v.text = "untouched";
        EXPECT_EQ(platform::mdlRegistry::queryValue(key, c.name, v), c.status) << c.name;
        EXPECT_EQ(v.text != "untouched", c.filled) << c.name;
    }
    ::RegCloseKey(key);

    RegistryValue v;
    EXPECT_NE(platform::mdlRegistry::queryValue(nullptr, "InstallPath", v), 0);
    EXPECT_EQ(v.kind, RegistryValue::Kind::Nothing);
}

TEST(RawCommandLine, ProgramsReceiveTheCommandLineExactlyAsBuilt) {
    TempDir dir;
    fs::path folder = dir.path() / "Call of Duty";
    fs::create_directories(folder);
    fs::copy_file(win32test::besideTest("cmdline_recorder.exe"), folder / "CoDMP.exe");
    std::string gameFolder = folder.string() + "\\";
    auto launcher = platform::systemLauncher();

    win32test::Recording rec(dir.path() / "record.txt");
    ASSERT_TRUE(launcher->startGame(gameFolder, "CoDMP.exe +exec FRWb_hi.cfg").started);
    auto got = rec.wait();
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0], "CoDMP.exe +exec FRWb_hi.cfg");
    EXPECT_TRUE(fs::equivalent(got[1], folder)) << got[1];

    // A program path with blanks is the whole command line, and it is the program started.
    std::string program = gameFolder + "CoDMP.exe";
    ASSERT_TRUE(launcher->startProgram(program).started);
    got = rec.wait();
    ASSERT_FALSE(got.empty());
    EXPECT_EQ(got[0], program);
}

// Notepad itself is not started (there is no desktop under test); the same
// CreateProcessA call reaches the recorder instead, with Notepad's command line.
TEST(RawCommandLine, NotepadGetsThePathUnquotedAfterOneBlank) {
    TempDir dir;
    const std::string report = dir.folder() + "User Results\\FRWb_December 04, 2026_19-30-05.txt";
    EXPECT_EQ(platform::notepadCommandLine(report), "notepad.exe " + report);

    win32test::Recording rec(dir.path() / "record.txt");
    win32test::ProgramSwap swap(win32test::besideTest("cmdline_recorder.exe").string());
    ASSERT_TRUE(platform::systemLauncher()->openTextFile(report).started);
    EXPECT_EQ(swap.applicationAsked(), std::nullopt); // found by the system, as Notepad is
    auto got = rec.wait();
    ASSERT_FALSE(got.empty());
    EXPECT_EQ(got[0], "notepad.exe " + report);
}

TEST(ShellOpen, AsksForTheExactAddressWithTheOpenVerb) {
    win32test::ShellRecording shell;
    const std::string url = "http://www.example.com/bench/index.htm?a=1&b=two words";
    platform::systemShell(0x1234)->openAddress(url);
    ASSERT_EQ(shell.calls.size(), 1u);
    const auto& c = shell.calls[0];
    EXPECT_EQ(c.owner, reinterpret_cast<HWND>(0x1234));
    EXPECT_EQ(c.verb, "open");
    EXPECT_EQ(c.file, url);
    EXPECT_FALSE(c.hasParameters);
    EXPECT_FALSE(c.hasDirectory);
    EXPECT_EQ(c.show, SW_SHOWNORMAL);
}

// The user's own AM and PM words, changed for a moment through the settings
// the control panel writes, and put back afterwards.
class ClockDesignator : public ::testing::Test {
  protected:
    static std::string setting(LCTYPE what) {
        char buf[128] = {};
        int n = ::GetLocaleInfoA(LOCALE_USER_DEFAULT, what, buf, sizeof buf);
        return n > 1 ? std::string(buf, static_cast<std::size_t>(n - 1)) : std::string();
    }
    void SetUp() override {
        savedAm_ = setting(LOCALE_S1159);
        savedPm_ = setting(LOCALE_S2359);
    }
    void TearDown() override {
        ::SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_S1159, savedAm_.c_str());
        ::SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_S2359, savedPm_.c_str());
    }
    std::string savedAm_, savedPm_;
};

TEST_F(ClockDesignator, IsWhatTheLocaleSaysAndEmptyWhereItHasNone) {
    struct Case {
        const char* am;
        const char* pm;
    };
    const Case cases[] = {{"AM", "PM"}, {"vorm.", "nachm."}, {"", ""}};
    for (const auto& c : cases) {
        ASSERT_TRUE(::SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_S1159, c.am)) << c.am;
        ASSERT_TRUE(::SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_S2359, c.pm)) << c.pm;
        auto t = platform::systemClock()->now();
        EXPECT_EQ(t.amPm, t.hour < 12 ? c.am : c.pm) << "at hour " << t.hour;
        EXPECT_NE(t.longDate.find(std::to_string(t.year)), std::string::npos) << t.longDate;
    }
}
