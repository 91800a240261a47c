#pragma once
// Reading the console dumps a benchmark leaves in the game's main folder and
// turning one detail level's dumps into report lines. The spreadsheet export
// reads the same dumps with the same pieces.
#include "core/dialogs.h"
#include "core/game_profile.h"
#include "results/messages.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
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
    std::string text; // the file as the console showed it (consoleText)
    std::string why;  // Unreadable: what was wrong
};

// The main folder's file names, listed once per compilation: a large run has 144
// dumps, and a directory scan for each of them cost far more than reading them.
class DumpFolder {
  public:
    explicit DumpFolder(std::string mainFolder, const core::GameProfile& game = core::codProfile());
    const std::string& path() const { return folder_; }
    // The file the game wrote for the dump of this name.
    std::string fileName(const std::string& name) const { return name + extension_; }
    // The shape of the game's result lines.
    const char* resultLine() const { return resultLine_; }
    // True when the dump's file is stored under exactly its name (letter case included).
    bool present(const std::string& name) const;

  private:
    std::string folder_;
    std::string extension_;
    const char* resultLine_;
    std::unordered_set<std::string> names_;
};

// A dump's bytes as the game's console showed them. The console never stores a
// CR: it sends the cursor back to the start of its line, and what follows
// overwrites that line from its first character. A dump from the game holds no
// CR; one that does (an edited file, CR LF ends) reads the same way, so a CR LF
// is a plain line end and a lone CR cuts nothing off.
std::string consoleText(std::string_view bytes);

// A dump counts only under its exact name; a name that is not a plain file name
// is never opened.
ConsoleDump ReadConsoleDump(const DumpFolder& folder, const std::string& name);
ConsoleDump ReadConsoleDump(const std::string& mainFolder, const std::string& name,
                            const core::GameProfile& game = core::codProfile());

struct Resolution {
    std::string width, height;
};

// Width and height from the dump's "MODE: n, W x H fullscreen" (or "windowed")
// line: the width between the comma and the "x", the height the digits after
// the "x". Nothing when a marker or the height's digits are missing.
std::optional<Resolution> ParseResolutionLabel(const std::string& dumpText);

// Pad, "(", width, "x", height, ") ": 12 characters for every size the game offers.
std::string resolutionLabel(const Resolution& r);

// The game's timedemo result is a console line of its own,
// "1300 frames, 27.4 seconds: 47.4 fps". Gives the fps text of a whole line of
// that shape (trailing blanks aside), nothing for any other line: a chat line or
// a player's name that merely contains "seconds: ... fps" is no result.
// shape is the game's (its profile's resultLine): "<fps>" stands for the figure,
// "<frames>" for a whole number, any other "<...>" for a number with points, and
// the rest is literal.
std::optional<std::string> resultLineFps(std::string_view line,
                                         std::string_view shape = core::codProfile().resultLine);

// The fps texts of the dump's result lines in order, the first only or every one.
std::vector<std::string> ExtractFpsValues(const std::string& dumpText, bool all,
                                          std::string_view shape = core::codProfile().resultLine);

// How many result lines a dump must hold: one per dump, or one per run in the
// mode that dumps a resolution's runs together. Nothing when the record gives no
// number of runs to check against.
std::optional<std::size_t> expectedResults(DumpMode mode, int runs);

// What is wrong with a dump's fps texts, as the end of a damaged-dump message
// ("holds 2 results instead of 3, ..."): no result, one that is not a number, a
// count other than expected, more than can be averaged. Nothing when sound.
std::optional<std::string> resultsFault(const std::vector<std::string>& figures,
                                        std::optional<std::size_t> expected, DumpMode mode,
                                        std::string_view shape = core::codProfile().resultLine);

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
