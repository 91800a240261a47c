#pragma once
// A real LibreOffice Calc as the spreadsheet of the export, reached through
// LibreOffice's own Python bridge to read back what it holds; and a finished
// benchmark run to export. Needs a display.
#include "core/folders.h"
#include "platform/keys.h"
#include "support/fakes.h"

#include <atomic>
#include <chrono>
#include <thread>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace calc_testing {

// (row, column) -> what a cell shows, both from 0.
using Cells = std::map<std::pair<int, int>, std::string>;

// The sheet the keystroke items make: characters go into the cell under the
// cursor, a movement key ends the cell and moves; {HOME} goes to column A.
Cells sheetFromKeys(const std::vector<std::string>& items);

// Where expected and what Calc holds differ, in words; empty when they agree.
// Calc reads a text that is a number as that number.
std::string differences(const Cells& expected, const Cells& calc);

// A finished benchmark in a temporary game install, with the configuration
// backup RUN made and e_path.ini naming a spreadsheet program.
struct BenchRun {
    std::string mode = "con1";
    std::string demo = "bench1";
    std::vector<std::string> levels{"Normal"};
    std::vector<std::string> resolutions{"640x480"};
    int runs = 1;
    // Results per dump in three-per-dump mode.
    int resultsPerDump = 3;
};

// All twelve resolutions in the tool's order, as the run record names them.
std::vector<std::string> everyResolution();

class GameWithRun {
  public:
    GameWithRun(const BenchRun& run, const std::filesystem::path& spreadsheet);
    const core::GameFolders& folders() const { return folders_; }
    std::filesystem::path main() const { return game_.main(); }

  private:
    testing_support::TempDir tmp_;
    testing_support::GameInstall game_;
    core::GameFolders folders_;
};

// The keystroke items the export of folders sends, as a recording sender saw them.
std::vector<std::string> exportItems(const core::GameFolders& folders);

bool calcInstalled();

// What a window manager does and Xvfb lacks: while it lives, a window shown
// after it began, or while no window has the focus, is given the focus, as a
// desktop gives a newly opened window the focus.
class FocusNewWindows {
  public:
    FocusNewWindows();
    ~FocusNewWindows();

  private:
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// A window of the test standing for the tool's own, from which the export is
// started: shown, it takes the focus, and it counts the keys it gets.
class ToolWindow {
  public:
    ToolWindow();
    ~ToolWindow();
    int keysReceived();

  private:
    void* display_ = nullptr;
    unsigned long window_ = 0;
};

// The program a spreadsheet path starts: LibreOffice Calc on a profile of its own,
// listening on a pipe for the bridge.
class CalcSession {
  public:
    CalcSession();
    ~CalcSession();
    // The program to name as the spreadsheet.
    std::filesystem::path program() const { return program_; }
    // The filled cells once Calc has stopped changing them (at most limit), of
    // the spreadsheet of that title, else of the first one.
    Cells cells(std::chrono::seconds limit, const std::string& title = {});
    // The titles of the spreadsheets Calc has open, once there are at least
    // count of them (at most limit).
    std::vector<std::string> titles(std::size_t count, std::chrono::seconds limit);
    // The cells as soon as they are expected, and when that was seen; or as they
    // stand at the limit; of the spreadsheet of that title, else of the first
    // one. firstLook: when the cells were first read.
    std::pair<Cells, std::chrono::steady_clock::time_point>
    cellsWhen(const Cells& expected, std::chrono::seconds limit,
              std::chrono::steady_clock::time_point* firstLook = nullptr,
              const std::string& title = {});
    // Ends the Calc the export started, unsaved; kills what is left of it.
    void quit();

  private:
    std::string bridge(const std::string& how);
    Cells read(const std::string& how);
    testing_support::TempDir tmp_;
    std::string pipe_;
    std::filesystem::path program_;
};

// A dump list's and the dumps' names and texts for a run, figures made up from
// the place so that no two cells agree by chance.
std::string figureFor(int level, int resolution, int run);

} // namespace calc_testing
