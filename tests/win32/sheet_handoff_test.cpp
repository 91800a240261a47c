// The export into a stand-in spreadsheet that is already running, as Windows
// shows it: the copy the export starts hands the new sheet to the running one and
// ends, so the new window belongs to the older process.
#include "archive/sheet_export.h"
#include "bench/config_backup.h"
#include "core/folders.h"
#include "platform/files.h"
#include "platform/keys.h"
#include "platform/launcher.h"
#include "results/messages.h"
#include "support/fakes.h"

#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <thread>

namespace fs = std::filesystem;
using testing_support::crlf;
using testing_support::readFile;
using testing_support::waitFor;
using testing_support::writeFile;

namespace {

// The stand-in with its DLLs and plugins, under a new name in a folder of its own.
fs::path installStandIn(const fs::path& folder, const std::string& name) {
    const fs::path from = fs::path(SHEETSIM_PROGRAM).parent_path();
    fs::create_directories(folder);
    for (const auto& entry : fs::directory_iterator(from)) {
        const auto file = entry.path().filename().string();
        if (entry.path().extension() == ".dll")
            fs::copy_file(entry.path(), folder / file);
        else if (entry.is_directory() && file != "CMakeFiles" && file.find("autogen") == std::string::npos)
            fs::copy(entry.path(), folder / file, fs::copy_options::recursive);
    }
    fs::copy_file(SHEETSIM_PROGRAM, folder / name);
    return folder / name;
}

// A window of the test, standing for the tool's own from which the export is
// started. It counts the characters it gets.
int toolKeys = 0;
LRESULT CALLBACK toolProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_CHAR || message == WM_KEYDOWN) ++toolKeys;
    return DefWindowProcW(window, message, w, l);
}

class ToolWindow {
  public:
    ToolWindow() {
        WNDCLASSW cls{};
        cls.lpfnWndProc = toolProc;
        cls.hInstance = GetModuleHandleW(nullptr);
        cls.lpszClassName = L"framewise_handoff_tool";
        RegisterClassW(&cls);
        window_ = CreateWindowW(cls.lpszClassName, L"tool", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200,
                                nullptr, nullptr, cls.hInstance, nullptr);
        if (!window_) return;
        ShowWindow(window_, SW_SHOW);
        SetForegroundWindow(window_);
        SetFocus(window_);
        pump();
    }
    ~ToolWindow() {
        if (window_) DestroyWindow(window_);
    }
    HWND window() const { return window_; }
    int keysReceived() {
        pump();
        return toolKeys;
    }

  private:
    static void pump() {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    HWND window_ = nullptr;
};

class SheetHandoff : public testing::Test {
  protected:
    void SetUp() override {
        const std::string sep(1, platform::folderSeparator());
        folders.appFolder = dir.folder() + "app" + sep;
        folders.gameFolder = dir.folder() + "game" + sep;
        folders.mainFolder = folders.gameFolder + "MAIN" + sep;
        const fs::path main = folders.mainFolder;
        writeFile(main / "config_mp.bak", "seta name \"me\"\r\n");
        writeFile(main / bench::kBackupPendingFile, "pending\r\n");
        writeFile(main / "config_mp.cfg", "seta name \"benchmark\"\r\n");
        writeFile(main / "FRWb_setup.ini",
                  crlf({"con3", "bench1", "1", "Normal", "1", "640x480", "3", "FRWb_120426_193005.txt",
                        "Friday, December 04, 2026  07:30:05 PM", "No Comment"}));
        writeFile(main / "FRWb_3.lo", "MODE: 3, 640 x 480 fullscreen hz:N/A\n"
                                      "100 frames, 2.1 seconds: 48.0 fps\n"
                                      "100 frames, 2.1 seconds: 47.4 fps\n"
                                      "100 frames, 2.1 seconds: 47.8 fps\n");
        writeFile(main / "FRWb_condump_list.ini", crlf({"FRWb_3.lo"}));
        excel = installStandIn(dir.path() / "Office", "EXCEL.EXE");
        writeFile(folders.appFolder + "e_path.ini", crlf({excel.string()}));
        SetEnvironmentVariableA("SHEETSIM_HANDOFF", dir.folder().c_str());
    }
    void TearDown() override {
        SetEnvironmentVariableA("SHEETSIM_HANDOFF", nullptr);
        SetEnvironmentVariableA("SHEETSIM_SAVE", nullptr);
        // The ready marks hold the process ids of the copies that showed a sheet.
        for (const auto& entry : fs::directory_iterator(dir.path()))
            if (entry.path().extension() == ".ready") {
                const DWORD pid = static_cast<DWORD>(std::atoi(readFile(entry.path()).c_str()));
                if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid)) {
                    TerminateProcess(process, 0);
                    WaitForSingleObject(process, 5000);
                    CloseHandle(process);
                }
            }
    }

    // The copy the user has open, started from program; false when it never showed its sheet.
    bool openFirst(const fs::path& program) {
        auto started = launcher->startProgram(program.string(), {"--save=" + open.string()});
        const fs::path mark = open.string() + ".ready";
        return started.started &&
               waitFor([&] { return fs::exists(mark) && !readFile(mark).empty(); }, std::chrono::seconds(30), std::chrono::milliseconds(20));
    }

    void exportRun(testing_support::ScriptedDialogs& dialogs) {
        SetEnvironmentVariableA("SHEETSIM_SAVE", grid.string().c_str());
        archive::GenerateEXCEL_Click(folders, dialogs, *launcher, *keys);
        SetEnvironmentVariableA("SHEETSIM_SAVE", nullptr);
    }

    testing_support::TempDir dir;
    core::GameFolders folders;
    fs::path excel;
    // No blank: the launcher passes arguments as they stand.
    const fs::path open = dir.path() / "open.txt";
    const fs::path grid = dir.path() / "sheet.txt";
    std::unique_ptr<platform::Launcher> launcher = platform::systemLauncher();
    std::unique_ptr<platform::KeySender> keys = platform::systemKeySender();
};

TEST_F(SheetHandoff, ExportTypesIntoTheNewSheetOfTheCopyAlreadyRunning) {
    ASSERT_TRUE(openFirst(excel));
    ToolWindow tool;
    if (!tool.window()) GTEST_SKIP() << "no desktop to make a window on";
    testing_support::ScriptedDialogs dialogs;
    dialogs.expectMessage(results::kRestored);
    exportRun(dialogs);

    const std::string expected = crlf({
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
    std::string typed;
    waitFor([&] { return fs::exists(grid) && (typed = readFile(grid)) == expected; }, std::chrono::seconds(20), std::chrono::milliseconds(20));
    EXPECT_EQ(typed, expected);
    EXPECT_EQ(readFile(open), "");
    EXPECT_EQ(tool.keysReceived(), 0);
    // One process holds both sheets: the copy the export started has ended.
    EXPECT_EQ(readFile(grid.string() + ".ready"), readFile(open.string() + ".ready"));
}

// The same program stored elsewhere is another program: its window does not count.
TEST_F(SheetHandoff, AWindowOfTheSameNameFromAnotherFolderIsRefused) {
    ASSERT_TRUE(openFirst(installStandIn(dir.path() / "Elsewhere", "EXCEL.EXE")));
    ToolWindow tool;
    if (!tool.window()) GTEST_SKIP() << "no desktop to make a window on";
    testing_support::ScriptedDialogs dialogs;
    dialogs.expectMessage(results::kRestored)
        .expectMessage(std::string(archive::kSheetNoFocus) + ": " + excel.string() +
                       "\r\n\r\nNothing was typed, so no keystroke went to another window.");
    exportRun(dialogs);
    // The running copy showed the new sheet, and no key reached it.
    ASSERT_TRUE(fs::exists(grid.string() + ".ready"));
    EXPECT_EQ(readFile(grid), "");
    EXPECT_EQ(tool.keysReceived(), 0);
}

} // namespace
