#pragma once
// Reading the console dumps a benchmark leaves in the game's main folder and
// turning one detail level's dumps into report lines. The spreadsheet export
// reads the same dumps with the same pieces.
#include "results/messages.h"
#include "core/dialogs.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

namespace results {

enum class DumpMode { OnePerDump, ThreePerDump };

// The run record's first line: "con3" selects three-per-dump, anything else one-per-dump.
DumpMode dumpModeOf(const std::string& recordLine);

// Rows in the fixed level order Normal, High, Maximum, Custom.
inline constexpr std::size_t kRows = 4;
// 12 resolutions times 3 runs.
inline constexpr std::size_t kPlaces = 36;

struct DumpTable {
    // At most kPlaces names per row, in dump-list order.
    std::array<std::vector<std::string>, kRows> rows;
    // Names of a row past place kPlaces: left out, and worth telling the user.
    std::array<std::size_t, kRows> dropped{};
};

// Sorts dump-list lines into rows by their last two characters.
DumpTable dumpTableFromLines(const std::vector<std::string>& lines);

// The message for the names past place kPlaces of a row, which are left out:
// which levels lost how many. Nothing when the table holds every name.
std::optional<std::string> leftOutMessage(const DumpTable& table);

// The dump list of mainFolder as a table; nothing when the list is missing or
// unreadable, and why then says what was wrong.
std::optional<DumpTable> BuildDumpTable(const std::string& mainFolder, std::string* why = nullptr);

enum class DumpStatus { Present, Missing, NotAName, Unreadable };

struct ConsoleDump {
    DumpStatus status = DumpStatus::Missing;
    std::string text; // the file up to its first CR
    std::string why;  // Unreadable: what was wrong
};

// The main folder's file names, listed once per compilation: a large run has 144
// dumps, and a directory scan for each of them cost far more than reading them.
class DumpFolder {
  public:
    explicit DumpFolder(std::string mainFolder);
    const std::string& path() const { return folder_; }
    // True when a file is stored under exactly this name (letter case included).
    bool present(const std::string& name) const;

  private:
    std::string folder_;
    std::unordered_set<std::string> names_;
};

// A dump counts only under its exact name; a name that is not a plain file name
// is never opened.
ConsoleDump ReadConsoleDump(const DumpFolder& folder, const std::string& name);
ConsoleDump ReadConsoleDump(const std::string& mainFolder, const std::string& name);

struct Resolution {
    std::string width, height;
};

// Width and height from the dump's "MODE: n, W x H fullscreen" (or "windowed")
// line: the width between the comma and the "x", the height the digits after
// the "x". Nothing when a marker or the height's digits are missing.
std::optional<Resolution> ParseResolutionLabel(const std::string& dumpText);

// Pad, "(", width, "x", height, ") ": 12 characters for every size the game offers.
std::string resolutionLabel(const Resolution& r);

// The texts between "seconds: " and "fps", the first only or every one (at most
// kMaxFigures). Nothing when a "seconds: " has no "fps" after it.
std::optional<std::vector<std::string>> ExtractFpsValues(const std::string& dumpText, bool all);

// An fps text right-aligned in five characters, then ", ".
std::string valueField(const std::string& fps);

// The text written after "  AVERAGE FPS: " for the average's shortest text t.
std::string FormatAverage(const std::string& t);

enum class RowResult { Completed, Stopped };

// Appends the result lines of one level's row to report (lines end with CR LF).
// A stop has shown its message; the report then keeps what was written, a begun
// line without its end.
RowResult WriteResultLines(const std::vector<std::string>& row, DumpMode mode, int runs,
                           const DumpFolder& folder, std::string& report, core::Dialogs& dialogs);


} // namespace results
