// Keystrokes from the system key sender into the stand-in spreadsheet, through
// the X server: what the spreadsheet export relies on. Needs a display (the test
// is registered to run under xvfb-run).
#include "archive/sheet_export.h"
#include "bench/config_backup.h"
#include "core/folders.h"
#include "platform/files.h"
#include "platform/keys.h"
#include "platform/launcher.h"
#include "results/messages.h"
#include "support/fakes.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

// Last: Xlib's macros (None, Status, ...) would break the headers above.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

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
        // The ready mark holds its process id. Wait until it is gone, so that the
        // next test does not see its window give up the focus.
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        waitFor([&] { return ::kill(pid_, 0) != 0; }, std::chrono::seconds(5));
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

// A window of the test that can take the keyboard focus and counts the keys it gets.
class Decoy {
  public:
    // claimedProcess: the process the window says it belongs to, else this test's.
    explicit Decoy(bool saysItsProcess = true, pid_t claimedProcess = 0) {
        display_ = XOpenDisplay(nullptr);
        if (!display_) return;
        const Window root = DefaultRootWindow(display_);
        window_ = XCreateSimpleWindow(display_, root, 10, 10, 200, 100, 0, 0, 0);
        inner_ = XCreateSimpleWindow(display_, window_, 5, 5, 50, 50, 0, 0, 0);
        for (Window w : {window_, inner_})
            XSelectInput(display_, w, KeyPressMask | KeyReleaseMask | StructureNotifyMask);
        if (saysItsProcess) {
            const unsigned long pid =
                static_cast<unsigned long>(claimedProcess ? claimedProcess : ::getpid());
            XChangeProperty(display_, window_, XInternAtom(display_, "_NET_WM_PID", False),
                            XA_CARDINAL, 32, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(&pid), 1);
        }
        XMapWindow(display_, inner_);
        XMapRaised(display_, window_);
        for (XEvent e;;) {
            XNextEvent(display_, &e);
            if (e.type == MapNotify && e.xmap.window == window_) break;
        }
    }
    ~Decoy() {
        if (display_) XCloseDisplay(display_);
    }
    std::uintptr_t window() const { return window_; }
    void takeFocus(bool inner = false) {
        XSetInputFocus(display_, inner ? inner_ : window_, RevertToParent, CurrentTime);
        XSync(display_, False);
    }
    int keysReceived() {
        XSync(display_, False);
        int keys = 0;
        while (XPending(display_)) {
            XEvent e;
            XNextEvent(display_, &e);
            if (e.type == KeyPress || e.type == KeyRelease) ++keys;
        }
        return keys;
    }

  private:
    Display* display_ = nullptr;
    Window window_ = 0, inner_ = 0;
};

// The system sender, with the decoy taking the focus before the text number `at`.
class FocusThief : public platform::KeySender {
  public:
    FocusThief(platform::KeySender& real, Decoy& decoy, int at)
        : real_(real), decoy_(decoy), at_(at) {}
    platform::SendResult send(const std::string& text, bool wait,
                              std::uintptr_t onlyInto) override {
        if (count_++ == at_) decoy_.takeFocus();
        return real_.send(text, wait, onlyInto);
    }
    std::uintptr_t focusedWindow() override { return real_.focusedWindow(); }
    std::uintptr_t waitForFocusOf(std::int64_t processId, int timeoutMs) override {
        return real_.waitForFocusOf(processId, timeoutMs);
    }

  private:
    platform::KeySender& real_;
    Decoy& decoy_;
    int at_;
    int count_ = 0;
};

// A finished run as RUN and the game leave it, the configuration's backup
// pending, with the stand-in installed as EXCEL.EXE and remembered as the
// spreadsheet. The dumps are named in the order the game wrote them.
struct ExportRun {
    TempDir dir;
    core::GameFolders folders;
    fs::path main, excel, grid;

    ExportRun(const std::vector<std::string>& resolutions,
              const std::vector<std::pair<std::string, std::string>>& dumps) {
        const std::string sep(1, platform::folderSeparator());
        folders.appFolder = dir.folder() + "app" + sep;
        folders.gameFolder = dir.folder() + "game" + sep;
        folders.mainFolder = folders.gameFolder + "MAIN" + sep;
        main = folders.mainFolder;
        testing_support::writeFile(main / "config_mp.bak", "seta name \"me\"\r\n");
        testing_support::writeFile(main / bench::kBackupPendingFile, "pending\r\n");
        testing_support::writeFile(main / "config_mp.cfg", "seta name \"benchmark\"\r\n");
        std::vector<std::string> record = {"con3", "bench1", "1", "Normal",
                                           std::to_string(resolutions.size())};
        record.insert(record.end(), resolutions.begin(), resolutions.end());
        record.insert(record.end(), {"3", "FRWb_120426_193005.txt",
                                     "Friday, December 04, 2026  07:30:05 PM", "No Comment"});
        testing_support::writeFile(main / "FRWb_setup.ini", testing_support::crlf(record));
        std::vector<std::string> names;
        for (const auto& [name, text] : dumps) {
            names.push_back(name);
            testing_support::writeFile(main / name, text);
        }
        testing_support::writeFile(main / "FRWb_condump_list.ini", testing_support::crlf(names));
        excel = dir.path() / "Office" / "EXCEL.EXE";
        fs::create_directories(excel.parent_path());
        fs::copy_file(program, excel);
        testing_support::writeFile(folders.appFolder + "e_path.ini",
                                   testing_support::crlf({excel.string()}));
        grid = dir.path() / "sheet.txt";
    }
};

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
        // Backspace takes back one character, a letter of two bytes whole.
        {"~{BS}", true},
        {"{DOWN}", false},
        {"{HOME}", true},
        // A letter the US keyboard map has no key for, in the system's UTF-8.
        {"x\xC3\xA9", true},
        {"\xC3\xA9{BS}", true},
        {"{RIGHT}", false},
        // Shifted and unshifted punctuation; braces that name no key are typed.
        {"a-Z_9:;'\"~{}<>?/|\\`!@#$%^&*=+,.", true},
    };
    for (const auto& item : items)
        EXPECT_TRUE(sender->send(item.text, item.wait)) << item.text;
    // Refused whole, naming the character: none of their keys reaches the grid.
    EXPECT_EQ(sender->send("ab\xE9", true).character, "the byte 0xE9, which is no UTF-8 character");
    EXPECT_EQ(sender->send("ab\x07", true).character, "the control character U+0007");

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

// The whole export through the real keyboard path: the flow starts the stand-in
// as EXCEL.EXE, waits for it to take the focus and types the run into it.
TEST(SheetsimKeys, ExportTypesTheRunIntoTheStandInSpreadsheet) {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "run under xvfb-run";
    ExportRun run({"640x480", "1024x768"}, {{"FRWb_3.lo", "MODE: 3, 640 x 480 fullscreen hz:N/A\n"
                                                          "100 frames, 2.1 seconds: 48.0 fps\n"
                                                          "100 frames, 2.1 seconds: 47.4 fps\n"
                                                          "100 frames, 2.1 seconds: 47.8 fps\n"},
                                            {"FRWb_6.lo", "MODE: 6, 1024 x 768 fullscreen hz:N/A\n"
                                                          "100 frames, 2.8 seconds: 35.2 fps\n"
                                                          "100 frames, 2.8 seconds: 35.8 fps\n"
                                                          "100 frames, 2.8 seconds: 35.5 fps\n"}});
    const core::GameFolders& folders = run.folders;
    const fs::path &main = run.main, &excel = run.excel, &grid = run.grid;

    testing_support::ScriptedDialogs dialogs;
    dialogs.expectMessage(results::kRestored);
    auto launcher = platform::systemLauncher();
    auto sender = platform::systemKeySender();
    ::setenv("SHEETSIM_SAVE", grid.c_str(), 1);
    auto panel = archive::GenerateEXCEL_Click(folders, dialogs, *launcher, *sender);
    ::unsetenv("SHEETSIM_SAVE");
    Sheet sheet(grid);
    ASSERT_TRUE(sheet.waitReady());

    EXPECT_TRUE(panel.visible);
    EXPECT_EQ(panel.pathText, excel.string());
    EXPECT_EQ(readFile(main / "config_mp.cfg"), "seta name \"me\"\r\n");
    const std::string expected = testing_support::crlf({
        "Framewise RESULTS",
        "BENCHMARK SETUP:       Demo: bench1",
        "     Configuration Files Run: Normal   ",
        "     Resolutions Used:   640x480   1024x768   ",
        "     Benchmarks run at these settings:3 times.",
        "",
        "",
        "",
        "NORMAL Configuration File Settings:",
        "640x480 \t48.0\t47.4\t47.8\tAVERAGE:\t47.73",
        "1024x768 \t35.2\t35.8\t35.5\tAVERAGE:\t35.5",
    });
    EXPECT_EQ(sheet.gridWhen(expected), expected);
}

TEST(SystemKeySender, FocusCountsOnlyForAWindowOfTheProcessOrItsDescendants) {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "run under xvfb-run";
    auto sender = platform::systemKeySender();
    {
        Decoy decoy;
        // Focus on an inner window stands for its top-level window.
        decoy.takeFocus(true);
        EXPECT_EQ(sender->focusedWindow(), decoy.window());
        EXPECT_EQ(sender->waitForFocusOf(::getpid(), 2000), decoy.window());
        // This test descends from its parent, so the decoy is a descendant's window.
        EXPECT_EQ(sender->waitForFocusOf(::getppid(), 2000), decoy.window());
        // Not the other way round: a child of this test owns no window here.
        const pid_t child = ::fork();
        if (child == 0) {
            ::pause();
            ::_exit(0);
        }
        EXPECT_EQ(sender->waitForFocusOf(child, 300), 0u);
        ::kill(child, SIGKILL);
        EXPECT_EQ(sender->waitForFocusOf(0, 300), 0u);
    }
    // A window that says nothing of its process is nobody's.
    Decoy silent(false);
    silent.takeFocus();
    EXPECT_EQ(sender->focusedWindow(), silent.window());
    EXPECT_EQ(sender->waitForFocusOf(::getpid(), 300), 0u);
}

// A spreadsheet already running may show the new sheet in a window of its own
// process, and the copy just started then ends. Such a window counts when it
// takes the focus during the wait and its process runs the program the launch
// ran, or one beside it in a folder of its own; a script's interpreter and the
// shared folders of the search path say nothing of the program.
TEST(SystemKeySender, AWindowThatTakesTheFocusCountsWhenItsProcessRunsTheStartedProgram) {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "run under xvfb-run";
    TempDir dir;
    auto copy = [&](const std::string& name) {
        const fs::path to = dir.path() / name;
        fs::create_directories(to.parent_path());
        fs::copy_file("/usr/bin/sleep", to);
        return to;
    };
    const fs::path sheet = copy("Office/sheet"), helper = copy("Office/helper"),
                   elsewhere = copy("Other/sheet"), shared = copy("bin/sheet"),
                   sharedHelper = copy("bin/helper");
    const fs::path script = dir.path() / "Office" / "start";
    testing_support::writeFile(script, "#!/bin/sh\n/usr/bin/sleep 30\n");
    fs::permissions(script, fs::perms::owner_all);
    const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    ::setenv("PATH", (path + ":" + (dir.path() / "bin").string()).c_str(), 1);

    const struct {
        const char* what;
        fs::path started;
        std::vector<std::string> owner; // the program the window's process runs
        bool focusedBefore;
        bool counts;
    } cases[] = {
        {"the same program", sheet, {sheet.string(), "30"}, false, true},
        {"a program beside it", sheet, {helper.string(), "30"}, false, true},
        {"already focused as the wait began", sheet, {sheet.string(), "30"}, true, false},
        {"a program of that name elsewhere", sheet, {elsewhere.string(), "30"}, false, false},
        {"beside it in a folder of PATH", shared, {sharedHelper.string(), "30"}, false, false},
        {"the shell that runs the started script", script, {"/bin/sh", "-c", "sleep 30; :"}, false, false},
    };
    auto launcher = platform::systemLauncher();
    auto sender = platform::systemKeySender();
    for (const auto& c : cases) {
        const auto started = launcher->startProgram(c.started.string(), {"30"});
        ASSERT_TRUE(started.started) << c.what << ": " << started.error;
        const auto owner = launcher->startProgram(c.owner.front(), {c.owner.begin() + 1, c.owner.end()});
        ASSERT_TRUE(owner.started) << c.what << ": " << owner.error;
        {
            Decoy decoy(true, static_cast<pid_t>(owner.processId));
            Decoy before(true);
            (c.focusedBefore ? decoy : before).takeFocus();
            std::thread focus([&] {
                std::this_thread::sleep_for(std::chrono::milliseconds(150));
                decoy.takeFocus();
            });
            const auto window = sender->waitForFocusOf(started.processId, 700);
            focus.join();
            EXPECT_EQ(window, c.counts ? decoy.window() : 0u) << c.what;
        }
        for (const auto pid : {started.processId, owner.processId}) ::kill(-static_cast<pid_t>(pid), SIGKILL);
    }
    ::setenv("PATH", path.c_str(), 1);
}

// The export into a stand-in spreadsheet already running: the copy the export
// starts hands the new sheet to it and ends, and the new window is typed into.
// The sheet the user had open, and the window the export was started from, get
// no key.
TEST(SheetsimKeys, ExportTypesIntoANewSheetOfTheCopyAlreadyRunning) {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "run under xvfb-run";
    ExportRun run({"640x480"}, {{"FRWb_3.lo", "MODE: 3, 640 x 480 fullscreen hz:N/A\n"
                                              "100 frames, 2.1 seconds: 48.0 fps\n"
                                              "100 frames, 2.1 seconds: 47.4 fps\n"
                                              "100 frames, 2.1 seconds: 47.8 fps\n"}});
    ::setenv("SHEETSIM_HANDOFF", run.dir.folder().c_str(), 1);
    const fs::path open = run.dir.path() / "open sheet.txt";
    auto launcher = platform::systemLauncher();
    auto first = launcher->startProgram(run.excel.string(), {"--save=" + open.string()});
    ASSERT_TRUE(first.started) << first.error;
    Sheet openSheet(open);
    ASSERT_TRUE(openSheet.waitReady());

    // The user then clicks the export in another window.
    Decoy tool;
    tool.takeFocus();
    testing_support::ScriptedDialogs dialogs;
    dialogs.expectMessage(results::kRestored);
    auto sender = platform::systemKeySender();
    ::setenv("SHEETSIM_SAVE", run.grid.c_str(), 1);
    archive::GenerateEXCEL_Click(run.folders, dialogs, *launcher, *sender);
    ::unsetenv("SHEETSIM_SAVE");
    ::unsetenv("SHEETSIM_HANDOFF");
    Sheet sheet(run.grid);
    ASSERT_TRUE(sheet.waitReady());

    const std::string expected = testing_support::crlf({
        "Framewise RESULTS",
        "BENCHMARK SETUP:       Demo: bench1",
        "     Configuration Files Run: Normal   ",
        "     Resolutions Used:   640x480   ",
        "     Benchmarks run at these settings:3 times.",
        "",
        "",
        "",
        "NORMAL Configuration File Settings:",
        "640x480 \t48.0\t47.4\t47.8\tAVERAGE:\t47.73",
    });
    EXPECT_EQ(sheet.gridWhen(expected), expected);
    EXPECT_EQ(readFile(open), "");
    EXPECT_EQ(tool.keysReceived(), 0);
    // One process holds both sheets: the copy the export started has ended.
    EXPECT_EQ(std::atoi(readFile(run.grid.string() + ".ready").c_str()),
              std::atoi(readFile(open.string() + ".ready").c_str()));
}

// The user clicks another window while the export types: the typing stops there,
// and that window gets no key.
TEST(SheetsimKeys, ExportStopsWhenAnotherWindowTakesTheFocus) {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "run under xvfb-run";
    ExportRun run({"640x480"}, {{"FRWb_3.lo", "MODE: 3, 640 x 480 fullscreen hz:N/A\n"
                                              "100 frames, 2.1 seconds: 48.0 fps\n"}});
    const core::GameFolders& folders = run.folders;
    const fs::path& grid = run.grid;

    Decoy decoy;
    testing_support::ScriptedDialogs dialogs;
    dialogs.expectMessage(results::kRestored)
        .expectMessage(std::string(archive::kFocusLeft) +
                       ", so the export stopped: no key went to the other window.\r\n\r\n"
                       "The export stopped in the setup rows. The last text typed was \"     "
                       "Demo: bench1\"; \"{DOWN}\" and everything after it were not typed.\r\n\r\n"
                       "What was typed before stays in the spreadsheet.");
    auto launcher = platform::systemLauncher();
    auto sender = platform::systemKeySender();
    FocusThief thief(*sender, decoy, 4);
    ::setenv("SHEETSIM_SAVE", grid.c_str(), 1);
    archive::GenerateEXCEL_Click(folders, dialogs, *launcher, thief);
    ::unsetenv("SHEETSIM_SAVE");
    Sheet sheet(grid);
    ASSERT_TRUE(sheet.waitReady());

    EXPECT_EQ(sender->focusedWindow(), decoy.window());
    EXPECT_EQ(decoy.keysReceived(), 0);
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
