#include "calc_session.h"

#include "archive/sheet_export.h"
#include "bench/config_backup.h"
#include "bench/levels.h"
#include "bench/run_record.h"
#include "platform/files.h"
#include "results/messages.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <stdexcept>
#include <set>
#include <thread>
#include <unistd.h>

#include <X11/Xlib.h>

namespace fs = std::filesystem;
using testing_support::crlf;
using testing_support::readFile;
using testing_support::writeFile;

namespace calc_testing {

Cells sheetFromKeys(const std::vector<std::string>& items) {
    Cells cells;
    int row = 0, column = 0;
    std::string editing;
    bool inCell = false;
    auto endCell = [&] {
        if (inCell) cells[{row, column}] = editing;
        editing.clear();
        inCell = false;
    };
    for (const auto& item : items) {
        for (const auto& key : platform::parseKeys(item)) {
            switch (key.kind) {
            case platform::Key::Kind::Character:
                editing += key.character;
                inCell = true;
                break;
            case platform::Key::Kind::Down:
                endCell();
                ++row;
                break;
            case platform::Key::Kind::Right:
                endCell();
                ++column;
                break;
            case platform::Key::Kind::Home:
                endCell();
                column = 0;
                break;
            case platform::Key::Kind::Delete:
                break; // only ever takes away what the spreadsheet itself proposed
            case platform::Key::Kind::Backspace:
                // One character of the UTF-8 text.
                while (!editing.empty() && (editing.back() & 0xC0) == 0x80) editing.pop_back();
                if (!editing.empty()) editing.pop_back();
                break;
            }
        }
    }
    // A cell still being typed into is not in the sheet yet.
    return cells;
}

namespace {

// The value Calc makes of a typed text in an English locale, if it takes it for a number.
bool numberOf(const std::string& text, double& value) {
    if (text.empty() || text.find_first_not_of("0123456789.-") != std::string::npos) return false;
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return end == text.c_str() + text.size();
}

std::string where(const std::pair<int, int>& at) {
    return std::string(1, static_cast<char>('A' + at.second)) + std::to_string(at.first + 1);
}

} // namespace

std::string differences(const Cells& expected, const Cells& calc) {
    std::ostringstream out;
    for (const auto& [at, text] : expected) {
        auto found = calc.find(at);
        const std::string held = found == calc.end() ? "" : found->second;
        double value = 0;
        if (numberOf(text, value)) {
            if (held.rfind("V ", 0) != 0 || std::fabs(std::strtod(held.c_str() + 2, nullptr) - value) > 1e-9)
                out << where(at) << ": typed the number " << text << ", Calc holds [" << held << "]\n";
        } else if (held != "T " + text) {
            out << where(at) << ": typed [" << text << "], Calc holds [" << held << "]\n";
        }
    }
    for (const auto& [at, held] : calc)
        if (!expected.count(at)) out << where(at) << ": nothing typed, Calc holds [" << held << "]\n";
    return out.str();
}

std::string figureFor(int level, int resolution, int run) {
    // Two decimals, some with a trailing zero or doubled digits, all distinct.
    const int hundredths = 2000 + level * 1700 + resolution * 131 + run * 11;
    char text[16];
    std::snprintf(text, sizeof text, "%d.%02d", hundredths / 100, hundredths % 100);
    return text;
}

GameWithRun::GameWithRun(const BenchRun& run, const fs::path& spreadsheet)
    : game_(testing_support::makeGameInstall(tmp_.path() / "game")) {
    const char sep = platform::folderSeparator();
    fs::create_directories(tmp_.path() / "app");
    folders_.appFolder = (tmp_.path() / "app").string() + sep;
    folders_.gameFolder = game_.root.string() + sep;
    folders_.mainFolder = game_.main().string() + sep;
    writeFile(tmp_.path() / "app" / archive::kExcelPathFile, crlf({spreadsheet.string()}));
    writeFile(main() / "config_mp.bak", "seta name \"me\"\r\n");
    writeFile(main() / "config_mp.cfg", "seta r_mode \"6\"\r\n");
    writeFile(main() / bench::kBackupPendingFile, "pending\r\n");

    std::vector<std::string> lines{run.mode, run.demo, std::to_string(run.levels.size())};
    lines.insert(lines.end(), run.levels.begin(), run.levels.end());
    lines.push_back(std::to_string(run.resolutions.size()));
    lines.insert(lines.end(), run.resolutions.begin(), run.resolutions.end());
    lines.insert(lines.end(), {std::to_string(run.runs), "FRWb_121026_101500.txt",
                               "Thursday, December 10, 2026  10:15:00 AM", "No Comment"});
    writeFile(main() / bench::kRunRecordFile, crlf(lines));

    const std::map<std::string, std::string> extensions{
        {"Normal", ".lo"}, {"High", ".hi"}, {"Maximum", ".max"}, {"Custom", ".cus"}};
    std::vector<std::string> list;
    for (std::size_t l = 0; l < run.levels.size(); ++l) {
        const int level = static_cast<int>(l);
        for (std::size_t r = 0; r < run.resolutions.size(); ++r) {
            const std::string& res = run.resolutions[r];
            const std::string head = "]vid_restart\nMODE: 3, " + res.substr(0, res.find('x')) +
                                     " x " + res.substr(res.find('x') + 1) +
                                     " fullscreen hz:N/A\n";
            auto result = [&](int k) {
                return "]demo bench1\n1300 frames, 27.4 seconds: " +
                       figureFor(level, static_cast<int>(r), k) + " fps\n";
            };
            const std::string name = "FRWb_" + std::to_string(r) + "_";
            if (run.mode == "con3") {
                std::string text = head;
                for (int k = 0; k < run.resultsPerDump; ++k) text += result(k);
                list.push_back(name + "0" + extensions.at(run.levels[l]));
                writeFile(main() / list.back(), text + "]condump\n");
            } else {
                for (int k = 0; k < run.runs; ++k) {
                    list.push_back(name + std::to_string(k + 1) + extensions.at(run.levels[l]));
                    writeFile(main() / list.back(), head + result(k) + "]condump\n");
                }
            }
        }
    }
    writeFile(main() / bench::kDumpListFile, crlf(list));
}

std::vector<std::string> exportItems(const core::GameFolders& folders) {
    // The main folder is put back as it was, so the real export finds the run as left.
    std::map<fs::path, std::string> before;
    for (const auto& entry : fs::directory_iterator(folders.mainFolder))
        if (entry.is_regular_file()) before[entry.path()] = readFile(entry.path());
    struct PutBack {
        const std::string& folder;
        std::map<fs::path, std::string>& files;
        ~PutBack() {
            for (const auto& entry : fs::directory_iterator(folder))
                if (entry.is_regular_file() && !files.count(entry.path())) fs::remove(entry.path());
            for (const auto& [path, text] : files) writeFile(path, text);
        }
    } putBack{folders.mainFolder, before};
    testing_support::ScriptedDialogs dialogs;
    dialogs.expectMessage(results::kRestored);
    testing_support::RecordingLauncher launcher;
    testing_support::RecordingKeySender keys;
    archive::GenerateEXCEL_Click(folders, dialogs, launcher, keys);
    std::vector<std::string> items;
    for (const auto& sent : keys.sent) items.push_back(sent.text);
    return items;
}

namespace {

// One line of calc_cells.py's cells into cells.
void cellLine(const std::string& line, Cells& cells) {
    std::istringstream fields(line);
    int row = -1, column = -1;
    std::string kind;
    fields >> row >> column >> kind;
    if (row < 0 || column < 0 || (kind != "T" && kind != "V")) {
        cells[{-1, -1}] += line + "\n"; // whatever the bridge said instead
        return;
    }
    // After the row, the column and the kind come one tab each.
    std::size_t at = 0;
    for (int tabs = 0; tabs < 3 && at != std::string::npos; ++tabs) at = line.find('\t', at) + 1;
    cells[{row, column}] = kind + " " + line.substr(at);
}

const char* python() {
    // LibreOffice's bridge is installed for the system's own Python.
    const char* chosen = std::getenv("FRAMEWISE_UNO_PYTHON");
    return chosen ? chosen : "/usr/bin/python3";
}

std::string shellWord(const std::string& word) {
    std::string out = "'";
    for (char c : word) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string run(const std::string& command) {
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            out.append(buffer, n);
        ::pclose(pipe);
    }
    return out;
}

} // namespace

FocusNewWindows::FocusNewWindows()
    : thread_([this] {
          Display* display = XOpenDisplay(nullptr);
          if (!display) return;
          // A window that goes while it is looked at must not end the test.
          auto previous = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
          const Window root = DefaultRootWindow(display);
          // The windows shown before it began.
          std::set<Window> seen;
          auto shown = [&](Window w) {
              XWindowAttributes a{};
              return XGetWindowAttributes(display, w, &a) && a.map_state == IsViewable &&
                     !a.override_redirect && a.width > 200 && a.height > 200;
          };
          auto topLevel = [&] {
              std::vector<Window> out;
              Window rootBack = None, parent = None, *children = nullptr;
              unsigned count = 0;
              if (XQueryTree(display, root, &rootBack, &parent, &children, &count))
                  out.assign(children, children + count);
              if (children) XFree(children);
              return out;
          };
          for (Window w : topLevel())
              if (shown(w)) seen.insert(w);
          while (!stop_) {
              for (Window w : topLevel())
                  if (!seen.count(w) && shown(w)) {
                      seen.insert(w);
                      XSetInputFocus(display, w, RevertToPointerRoot, CurrentTime);
                      XSync(display, False);
                  }
              Window focus = None;
              int revert = 0;
              XGetInputFocus(display, &focus, &revert);
              if (focus == None || focus == PointerRoot || focus == root) {
                  Window rootBack = None, parent = None, *children = nullptr;
                  unsigned count = 0;
                  if (XQueryTree(display, root, &rootBack, &parent, &children, &count)) {
                      // The topmost shown window of a normal size, as stacked last.
                      for (unsigned i = count; i-- > 0;) {
                          XWindowAttributes a{};
                          if (XGetWindowAttributes(display, children[i], &a) &&
                              a.map_state == IsViewable && !a.override_redirect && a.width > 200 &&
                              a.height > 200) {
                              XSetInputFocus(display, children[i], RevertToPointerRoot, CurrentTime);
                              break;
                          }
                      }
                      if (children) XFree(children);
                  }
                  XSync(display, False);
              }
              std::this_thread::sleep_for(std::chrono::milliseconds(100));
          }
          XSetErrorHandler(previous);
          XCloseDisplay(display);
      }) {}

FocusNewWindows::~FocusNewWindows() {
    stop_ = true;
    thread_.join();
}

ToolWindow::ToolWindow() {
    Display* display = XOpenDisplay(nullptr);
    display_ = display;
    if (!display) return;
    window_ = XCreateSimpleWindow(display, DefaultRootWindow(display), 20, 20, 400, 300, 0, 0, 0);
    XSelectInput(display, window_, KeyPressMask | StructureNotifyMask);
    XMapRaised(display, window_);
    for (XEvent e;;) {
        XNextEvent(display, &e);
        if (e.type == MapNotify && e.xmap.window == window_) break;
    }
    XSetInputFocus(display, window_, RevertToPointerRoot, CurrentTime);
    XSync(display, False);
}

ToolWindow::~ToolWindow() {
    if (display_) XCloseDisplay(static_cast<Display*>(display_));
}

int ToolWindow::keysReceived() {
    auto* display = static_cast<Display*>(display_);
    if (!display) return 0;
    XSync(display, False);
    int keys = 0;
    while (XPending(display)) {
        XEvent e;
        XNextEvent(display, &e);
        if (e.type == KeyPress) ++keys;
    }
    return keys;
}

bool calcInstalled() {
    return ::access(FRAMEWISE_SOFFICE, X_OK) == 0;
}

namespace {

// One profile for every Calc of this process, made before the first start: the
// first start on a new profile is the slow one, and must not eat into the time
// the export gives a spreadsheet to show its window.
const fs::path& sharedProfile() {
    static testing_support::TempDir dir;
    static const fs::path profile = [] {
        const fs::path made = dir.path() / "profile";
        // No first-start tip dialog may take the keys.
        writeFile(made / "user" / "registrymodifications.xcu",
                  "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                  "<oor:items xmlns:oor=\"http://openoffice.org/2001/registry\" "
                  "xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" "
                  "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\n"
                  "<item oor:path=\"/org.openoffice.Office.Common/Misc\"><prop "
                  "oor:name=\"ShowTipOfTheDay\" oor:op=\"fuse\"><value>false</value></prop></item>\n"
                  "<item oor:path=\"/org.openoffice.Office.Common/Misc\"><prop "
                  "oor:name=\"FirstRun\" oor:op=\"fuse\"><value>false</value></prop></item>\n"
                  "</oor:items>\n");
        run("timeout 180 " + shellWord(FRAMEWISE_SOFFICE) +
            " --headless --terminate_after_init -env:UserInstallation=file://" +
            shellWord(made.string()) + " >/dev/null 2>&1");
        return made;
    }();
    return profile;
}

} // namespace

CalcSession::CalcSession() : pipe_("framewise_calc_" + std::to_string(::getpid())) {
    const fs::path& profile = sharedProfile();
    // The spreadsheet path names LibreOffice's own starter by its name, so the
    // export starts it as it starts any soffice (with --calc). The first one
    // notes its process id (its session's, which Calc's processes share; a later
    // one hands its document to that Calc and ends) and hands over to
    // the installed soffice with a profile of its own and the bridge's pipe.
    program_ = tmp_.path() / "LibreOffice" / "soffice";
    writeFile(program_, "#!/bin/sh\n"
                        "[ -e " + shellWord((tmp_.path() / "calc.pid").string()) + " ] || echo $$ > " +
                        shellWord((tmp_.path() / "calc.pid").string()) + "\n"
                        "LC_ALL=C.UTF-8; export LC_ALL\n"
                        "exec " + shellWord(FRAMEWISE_SOFFICE) +
                        " \"$@\" --norestore --nologo --nolockcheck "
                        "-env:UserInstallation=file://" + shellWord(profile.string()) +
                        " --accept=" + shellWord("pipe,name=" + pipe_ + ";urp;") + "\n");
    fs::permissions(program_, fs::perms::owner_all);
}

CalcSession::~CalcSession() { quit(); }

Cells CalcSession::cells(std::chrono::seconds limit, const std::string& title) {
    return read("read " + std::to_string(limit.count()) + (title.empty() ? "" : " " + shellWord(title)));
}

std::vector<std::string> CalcSession::titles(std::size_t count, std::chrono::seconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    std::vector<std::string> found;
    do {
        found.clear();
        std::istringstream lines(bridge("titles"));
        for (std::string line; std::getline(lines, line);) found.push_back(line);
        if (found.size() >= count) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    } while (std::chrono::steady_clock::now() < deadline);
    return found;
}

std::string CalcSession::bridge(const std::string& how) {
    return run(std::string(python()) + " " + shellWord(FRAMEWISE_CALC_CELLS) + " " +
               shellWord(pipe_) + " " + how + " 2>/dev/null");
}

std::pair<Cells, std::chrono::steady_clock::time_point>
CalcSession::cellsWhen(const Cells& expected, std::chrono::seconds limit,
                       std::chrono::steady_clock::time_point* firstLook,
                       const std::string& title) {
    // One reader that watches the sheet, so that the time it saw the cells is
    // not that of starting a reader anew for each look.
    const std::string command = std::string(python()) + " " + shellWord(FRAMEWISE_CALC_CELLS) +
                                " " + shellWord(pipe_) + " watch " + std::to_string(limit.count()) +
                                (title.empty() ? "" : " " + shellWord(title)) + " 2>/dev/null";
    Cells now;
    auto seenAt = std::chrono::steady_clock::now();
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return {now, seenAt};
    Cells reading;
    double at = 0;
    bool looked = false;
    char buffer[4096];
    while (std::fgets(buffer, sizeof buffer, pipe)) {
        std::string line(buffer);
        if (!line.empty() && line.back() == '\n') line.pop_back();
        if (line == "~") continue;
        if (line.rfind("@ ", 0) == 0) {
            at = std::strtod(line.c_str() + 2, nullptr);
            reading.clear();
        } else if (line == ".") {
            now = reading;
            // Python's monotonic clock is the steady clock's.
            seenAt = std::chrono::steady_clock::time_point(std::chrono::duration_cast<
                std::chrono::steady_clock::duration>(std::chrono::duration<double>(at)));
            if (firstLook && !looked) *firstLook = seenAt;
            looked = true;
            if (differences(expected, now).empty()) break;
        } else {
            cellLine(line, reading);
        }
    }
    ::pclose(pipe);
    return {now, seenAt};
}

Cells CalcSession::read(const std::string& how) {
    const std::string out = run(std::string(python()) + " " + shellWord(FRAMEWISE_CALC_CELLS) +
                                " " + shellWord(pipe_) + " " + how + " 2>&1");
    Cells cells;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) cellLine(line, cells);
    return cells;
}

void CalcSession::quit() {
    const fs::path pidFile = tmp_.path() / "calc.pid";
    if (!fs::exists(pidFile)) return;
    const pid_t pid = static_cast<pid_t>(std::atoi(readFile(pidFile).c_str()));
    fs::remove(pidFile);
    if (pid <= 1) return;
    run(std::string("timeout 20 ") + python() + " " + shellWord(FRAMEWISE_CALC_CELLS) + " " +
        shellWord(pipe_) + " quit >/dev/null 2>&1");
    // Calc's processes are of the script's process group; what did not end goes.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (::kill(-pid, 0) == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    if (::kill(-pid, 0) == 0) ::kill(-pid, SIGKILL);
}

std::vector<std::string> everyResolution() {
    std::vector<std::string> all;
    for (int mode = 0; mode < bench::kResolutionCount; ++mode)
        all.push_back(bench::resolutionText(mode));
    return all;
}

} // namespace calc_testing
