// Keystrokes from the system key sender into the stand-in spreadsheet, through
// the X server: what the spreadsheet export relies on. Needs a display (the test
// is registered to run under xvfb-run).
#include "platform/keys.h"
#include "platform/launcher.h"
#include "support/fakes.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <thread>

namespace fs = std::filesystem;
using testing_support::readFile;
using testing_support::TempDir;

namespace {

bool waitFor(const std::function<bool()>& done, std::chrono::seconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// A running sheetsim, ended when the test ends.
class Sheet {
  public:
    explicit Sheet(fs::path grid) : grid_(std::move(grid)) {}
    ~Sheet() {
        // The ready mark holds its process id.
        if (pid_ > 0) ::kill(pid_, SIGTERM);
    }

    // Waits until it has the keyboard focus.
    bool waitReady() {
        const fs::path mark = grid_.string() + ".ready";
        if (!waitFor([&] { return fs::exists(mark) && !readFile(mark).empty(); },
                     std::chrono::seconds(10)))
            return false;
        pid_ = std::atoi(readFile(mark).c_str());
        return pid_ > 0;
    }

    // The saved grid once it equals expected, or as it stands after a bounded wait:
    // the sender's wait covers delivery to the window, not its handling.
    std::string gridWhen(const std::string& expected) {
        std::string text;
        waitFor(
            [&] {
                text = fs::exists(grid_) ? readFile(grid_) : "";
                return text == expected;
            },
            std::chrono::seconds(10));
        return text;
    }

  private:
    fs::path grid_;
    int pid_ = 0;
};

const std::string program = SHEETSIM_PROGRAM;

TEST(SheetsimKeys, TypedCellsAndMovesLandInTheSavedGrid) {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "run under xvfb-run";
    TempDir dir;
    const fs::path grid = dir.path() / "grid.txt";
    const fs::path tool(program);
    auto started = platform::systemLauncher()->startGame(
        tool.parent_path().string() + "/", tool.filename().string() + " --save=" + grid.string());
    ASSERT_TRUE(started.started) << started.error;
    Sheet sheet(grid);
    ASSERT_TRUE(sheet.waitReady()) << "sheetsim never took the focus";

    auto sender = platform::systemKeySender();
    const struct {
        std::string text;
        bool wait;
    } items[] = {
        {"Framewise RESULTS", true},
        {"{DOWN}", true},
        {"BENCHMARK SETUP:  ", true},
        {"(640x480) ", false},
        {"{RIGHT}", true},
        {"48.0", true},
        {"{DOWN}", false},
        {"{HOME}", true},
        // 8-bit text: a letter the US keyboard map has no key for.
        {"x\xE9", true},
        {"{RIGHT}", false},
        // Shifted and unshifted punctuation; braces that name no key are typed.
        {"a-Z_9:;'\"~{}<>?/|\\`!@#$%^&*=+,.", true},
    };
    for (const auto& item : items)
        EXPECT_TRUE(sender->send(item.text, item.wait)) << item.text;

    const std::string expected = "Framewise RESULTS\r\n"
                                 "BENCHMARK SETUP:  640x480 \t48.0\r\n"
                                 "x\xE9\ta-Z_9:;'\"~{}<>?/|\\`!@#$%^&*=+,.\r\n";
    EXPECT_EQ(sheet.gridWhen(expected), expected);
}

// The export starts the spreadsheet by its path alone; the grid file then comes
// from the environment.
TEST(SheetsimKeys, StartedWithoutArgumentsSavesWhereTheEnvironmentSays) {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "run under xvfb-run";
    TempDir dir;
    const fs::path grid = dir.path() / "from env.txt";
    ::setenv("SHEETSIM_SAVE", grid.c_str(), 1);
    auto started = platform::systemLauncher()->startProgram(program);
    ::unsetenv("SHEETSIM_SAVE");
    ASSERT_TRUE(started.started) << started.error;
    Sheet sheet(grid);
    ASSERT_TRUE(sheet.waitReady());

    auto sender = platform::systemKeySender();
    EXPECT_TRUE(sender->send("{DOWN}{DOWN}{RIGHT}7", true));
    EXPECT_EQ(sheet.gridWhen("\r\n\r\n\t7\r\n"), "\r\n\r\n\t7\r\n");
}

TEST(SystemKeySender, WithoutADisplayReportsFailure) {
    const char* display = std::getenv("DISPLAY");
    const bool hadDisplay = display != nullptr;
    const std::string saved = hadDisplay ? display : "";
    ::unsetenv("DISPLAY");
    {
        auto sender = platform::systemKeySender();
        EXPECT_FALSE(sender->send("x", true));
        EXPECT_FALSE(sender->send("{DOWN}", false));
    }
    if (hadDisplay) ::setenv("DISPLAY", saved.c_str(), 1);
}

} // namespace
