#include "archive/sheet_export.h"

#include "bench/config_backup.h"
#include "bench/run_record.h"
#include "core/textfile.h"
#include "platform/files.h"
#include "results/average.h"
#include "results/dumps.h"
#include "results/messages.h"
#include "results/report.h"

#include <array>
#include <cctype>
#include <map>
#include <exception>
#include <optional>
#include <string_view>

namespace archive {

namespace {

constexpr const char* kTitle = "Framewise RESULTS";
constexpr const char* kSetupLabel = "BENCHMARK SETUP:  ";
constexpr const char* kDemoLabel = "     Demo: ";
constexpr const char* kLevelsLabel = "     Configuration Files Run: ";
constexpr const char* kResolutionsLabel = "     Resolutions Used: ";
constexpr const char* kResolutionsIndent = "  ";
constexpr const char* kRunsLabel = "     Benchmarks run at these settings:";
constexpr const char* kRunsTail = " times.";
constexpr const char* kItemGap = "   ";
constexpr const char* kAverageWord = "AVERAGE:";
constexpr const char* kDown = "{DOWN}";
constexpr const char* kRight = "{RIGHT}";
constexpr const char* kHome = "{HOME}";
constexpr const char* kDelete = "{DEL}";
constexpr const char* kBackspace = "{BS}";
// Typed and taken back again to clear a spreadsheet's completion of a cell: the
// first of them that no text of the column continues the cell with.
constexpr std::string_view kBreakers = "~|#^_`!$%&*+;<=>?@";
constexpr std::array<const char*, results::kRows> kLevelHeaders{
    "NORMAL Configuration File Settings:", "HIGH Configuration File Settings:",
    "MAX Configuration File Settings:", "CUSTOM Configuration File Settings:"};
// The sixth and later resolutions go one cell down.
constexpr std::size_t kResolutionsPerCell = 5;
constexpr std::size_t kThreePerDumpPlaces = 12;
constexpr const char* kParagraph = "\r\n\r\n";
constexpr const char* kTypedStays = "What was typed before stays in the spreadsheet.";

constexpr bool W = true;  // the sender returns once the window has the keys
constexpr bool N = false; // the sender returns at once

// Why the typing stopped; the user has been told.
struct Stop {};

class SheetTypist {
  public:
    SheetTypist(platform::KeySender& keys, std::uintptr_t window,
                const results::DumpFolder& folder, core::Dialogs& dialogs)
        : keys_(keys), window_(window), folder_(folder), dialogs_(dialogs) {}

    // Keys go only into the spreadsheet's window: each item is typed only while
    // that window has the focus.
    void send(const std::string& text, bool wait) {
        const auto keys = platform::parseKeys(text);
        if (!keys.empty() && keys.front().kind != platform::Key::Kind::Character)
            if (const auto breaker = completionBreaker()) {
                // Not one of the run's texts: a stop is told by the text before it.
                const std::string before = lastTyped_;
                sendItem(std::string(1, *breaker) + kBackspace, W);
                lastTyped_ = before;
            }
        sendItem(text, wait);
        follow(keys);
    }

    void sendItem(const std::string& text, bool wait) {
        const auto result = keys_.send(text, wait, window_);
        if (result) {
            lastTyped_ = text;
            return;
        }
        std::string what;
        switch (result.outcome) {
        case platform::SendResult::Outcome::Untypable:
            what = std::string(kKeysNotSent) + ": " + result.character +
                   " cannot be typed on this system.";
            break;
        case platform::SendResult::Outcome::FocusMoved:
            what = std::string(kFocusLeft) + ", so the export stopped: no key went to the other window.";
            break;
        default:
            what = std::string(kKeysNotSent) + " (is there a desktop display?).";
            break;
        }
        core::tell(dialogs_, what + kParagraph + progress(text));
        throw Stop{};
    }

    void setupBlock(const results::RunRecord& rec) {
        section_ = "the setup rows";
        send(kTitle, W);
        send(kDown, W);
        send(kSetupLabel, W);
        send(kDemoLabel + platform::literalKeys(rec.demo), N);
        send(kDown, W);
        send(kLevelsLabel, N);
        for (const auto& level : rec.levels)
            send(platform::literalKeys(level) + kItemGap, W);
        send(kDown, W);
        send(kResolutionsLabel, W);
        send(kResolutionsIndent, W);
        for (std::size_t i = 0; i < rec.resolutions.size(); ++i) {
            send(platform::literalKeys(rec.resolutions[i]) + kItemGap, W);
            if (i + 1 == kResolutionsPerCell) send(kDown, W);
        }
        send(kDown, W);
        send(kRunsLabel + platform::literalKeys(rec.runsLine) + kRunsTail, W);
        for (int i = 0; i < 3; ++i)
            send(kDown, W);
    }

    void onePerDumpRow(std::size_t row, const std::vector<std::string>& names, std::size_t runs) {
        section_ = rowSection(row);
        if (names.empty()) {
            send(kDown, N);
            send(kHome, N);
            return;
        }
        header(row);
        const std::size_t places = std::min(names.size(), results::kPlaces);
        for (std::size_t r = 0; r < places; r += runs) {
            const std::string first = dumpText(names[r]);
            sendLabel(names[r], first);
            std::vector<std::string> figures;
            for (std::size_t j = r; j < r + runs; ++j) {
                if (j >= places) {
                    send(results::kStoppedEarly, N);
                    rowEnd();
                    return;
                }
                const std::string fps =
                    figuresOf(names[j], j == r ? first : dumpText(names[j]),
                              results::DumpMode::OnePerDump, static_cast<int>(runs))
                        .front();
                send(platform::literalKeys(fps), W);
                send(kRight, W);
                figures.push_back(fps);
            }
            sendAverage(names[r], figures);
            send(kDown, W);
            send(kHome, W);
        }
        rowEnd();
    }

    void threePerDumpRow(std::size_t row, const std::vector<std::string>& names, int runs) {
        section_ = rowSection(row);
        if (!names.empty()) header(row);
        for (std::size_t m = 0; m < kThreePerDumpPlaces; ++m) {
            if (m >= names.size()) {
                send(kDown, W);
                send(kHome, W);
                return;
            }
            const std::string text = dumpText(names[m]);
            sendLabel(names[m], text);
            const auto figures = figuresOf(names[m], text, results::DumpMode::ThreePerDump, runs);
            for (const auto& fps : figures) {
                send(platform::literalKeys(fps), W);
                send(kRight, W);
            }
            // A single result has nothing to average; its row is followed by an empty one.
            if (figures.size() == 1)
                send(kDown, W);
            else
                sendAverage(names[m], figures);
            send(kDown, W);
            send(kHome, W);
        }
    }

  private:
    static std::string lower(std::string text) {
        for (auto& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return text;
    }

    // Spreadsheets complete a text typed into a cell from a longer text of the
    // column that begins with it, letter case aside ("960x720 " from the cell of
    // the sixth and later resolutions), and the move that ends the cell keeps
    // the completion. Where two texts begin with it, Calc proposes what they
    // share and takes the next Right to accept that, moving nowhere. Typing a
    // character that continues no text of the column ends any proposal, and
    // Backspace takes it back without a new one: the cell holds what was typed
    // whether anything was proposed or not, in Calc and Excel alike (Delete
    // alone leaves Calc's Right taken). The character, when a text of the
    // column begins with the cell's.
    std::optional<char> completionBreaker() const {
        if (cell_.empty()) return std::nullopt;
        const std::string typed = lower(cell_);
        std::vector<std::string> longer;
        for (const auto& [at, text] : texts_) {
            if (at.second != column_) continue;
            const std::string other = lower(text);
            if (other.size() > typed.size() && other.compare(0, typed.size(), typed) == 0)
                longer.push_back(other);
        }
        if (longer.empty()) return std::nullopt;
        for (const char breaker : kBreakers) {
            bool continues = false;
            for (const auto& other : longer) continues = continues || other[typed.size()] == breaker;
            if (!continues) return breaker;
        }
        return std::nullopt; // every one of them goes on some text of the column
    }

    // Where the keys leave the cursor and which texts the cells hold.
    void follow(const std::vector<platform::Key>& keys) {
        for (const auto& key : keys) {
            if (key.kind == platform::Key::Kind::Character) {
                cell_ += key.character;
                continue;
            }
            if (key.kind == platform::Key::Kind::Delete) continue;
            if (key.kind == platform::Key::Kind::Backspace) {
                // One character of the UTF-8 text.
                while (!cell_.empty() && (cell_.back() & 0xC0) == 0x80) cell_.pop_back();
                if (!cell_.empty()) cell_.pop_back();
                continue;
            }
            // Numbers too: a spreadsheet in a locale that reads them as texts completes them.
            if (!cell_.empty()) texts_[{row_, column_}] = cell_;
            cell_.clear();
            if (key.kind == platform::Key::Kind::Down) ++row_;
            if (key.kind == platform::Key::Kind::Right) ++column_;
            if (key.kind == platform::Key::Kind::Home) column_ = 0;
        }
    }

    static std::string rowSection(std::size_t row) {
        const std::string header = kLevelHeaders[row];
        return "the " + header.substr(0, header.find(' ')) + " rows";
    }

    // What was typed and where it stopped, in the keys' own words.
    std::string progress(const std::string& stopped) const {
        if (lastTyped_.empty()) return "Nothing was typed.";
        return "The export stopped in " + section_ + ". The last text typed was \"" +
               readable(lastTyped_) + "\"; \"" + readable(stopped) +
               "\" and everything after it were not typed." + kParagraph + kTypedStays;
    }

    static std::string readable(const std::string& text) {
        std::string out;
        for (const auto& key : platform::parseKeys(text)) {
            switch (key.kind) {
            case platform::Key::Kind::Down:
                out += kDown;
                break;
            case platform::Key::Kind::Right:
                out += kRight;
                break;
            case platform::Key::Kind::Home:
                out += kHome;
                break;
            case platform::Key::Kind::Delete:
                out += kDelete;
                break;
            case platform::Key::Kind::Backspace:
                out += kBackspace;
                break;
            case platform::Key::Kind::Character:
                out += key.character;
                break;
            }
        }
        return out;
    }

    void header(std::size_t row) {
        send(kDown, W);
        send(kLevelHeaders[row], W);
        send(kDown, W);
        send(kHome, W);
    }

    void rowEnd() {
        send(kDown, N);
        send(kHome, N);
    }

    [[noreturn]] void damaged(const std::string& name, const std::string& what) {
        core::tell(dialogs_, results::kDamagedDump + name + " " + what + "." + kParagraph +
                                 "The export stopped there. " + kTypedStays);
        throw Stop{};
    }

    std::string dumpText(const std::string& name) {
        auto dump = results::ReadConsoleDump(folder_, name);
        switch (dump.status) {
        case results::DumpStatus::Present:
            if (dump.text.empty()) damaged(name, "is empty");
            return std::move(dump.text);
        case results::DumpStatus::Missing:
            damaged(name, "is missing: the benchmark stopped before writing it");
        case results::DumpStatus::NotAName:
            core::tell(dialogs_, results::kDumpListTrouble + std::string(bench::kDumpListFile) +
                                     " names \"" + name +
                                     "\", which is not a plain file name, so it was not opened." +
                                     kParagraph + "The export stopped there. " + kTypedStays);
            throw Stop{};
        case results::DumpStatus::Unreadable:
            damaged(name, "could not be read: " + dump.why);
        }
        damaged(name, "could not be read");
    }

    void sendLabel(const std::string& name, const std::string& text) {
        auto res = results::ParseResolutionLabel(text);
        if (!res) damaged(name, results::kNoModeLine);
        // The parentheses group the keys and are not typed: the cell shows "640x480 ".
        send("(" + platform::literalKeys(res->width) + "x" + platform::literalKeys(res->height) +
                 ") ",
             W);
        send(kRight, W);
    }

    // The dump's fps texts, as many as the run implies and every one a number.
    std::vector<std::string> figuresOf(const std::string& name, const std::string& text,
                                       results::DumpMode mode, int runs) {
        auto figures = results::ExtractFpsValues(text, true, folder_.resultLine());
        if (auto fault = results::resultsFault(figures, results::expectedResults(mode, runs), mode,
                                               folder_.resultLine()))
            damaged(name, *fault);
        return figures;
    }

    void sendAverage(const std::string& name, const std::vector<std::string>& figures) {
        auto avg = results::averageHundredths(figures);
        if (!avg) damaged(name, "has results too long to average");
        send(kAverageWord, W);
        send(kRight, W);
        send(results::hundredthsText(*avg), W);
    }

    platform::KeySender& keys_;
    std::uintptr_t window_;
    const results::DumpFolder& folder_;
    core::Dialogs& dialogs_;
    std::string lastTyped_;
    std::string section_;
    std::size_t row_ = 0, column_ = 0;
    std::string cell_;
    std::map<std::pair<std::size_t, std::size_t>, std::string> texts_;
};

void exportRun(const core::GameFolders& folders, const std::string& excelPath,
               core::Dialogs& dialogs, platform::Launcher& launcher, platform::KeySender& keys) {
    const std::string& mainFolder = folders.mainFolder;
    const core::GameProfile& game = folders.profile();
    const std::string recordName = bench::kRunRecordFile;
    if (!platform::exactNamePresent(mainFolder, recordName)) {
        // A RUN stopped after its clean-up may have left the player's backup pending.
        core::tell(dialogs, bench::backupPending(mainFolder)
                                ? std::string(results::kNoResults) + kParagraph +
                                      bench::whereYourConfigIs(mainFolder, game)
                                : std::string(results::kNoResults));
        return;
    }

    // Everything the sheet needs is read and checked before anything changes, so a
    // damaged record or dump list restores nothing and types nothing. Of the record,
    // the export reads the setup alone.
    results::RecordReading reading;
    std::string why;
    if (auto lines = core::readLines(core::fsPath(mainFolder + recordName), &why))
        reading = results::parseRunRecord(*lines, results::RecordPart::Setup);
    else
        reading.fault = why;
    if (!reading.record) {
        core::tell(dialogs, results::kDamagedRecord + recordName + " is damaged: " + reading.fault +
                                "." + kParagraph +
                                "Nothing was restored and the spreadsheet was "
                                "not started. " +
                                bench::whereYourConfigIs(mainFolder, game));
        return;
    }
    const auto table = results::BuildDumpTable(mainFolder, &why);
    if (!table) {
        core::tell(dialogs, results::kDumpListTrouble + std::string(bench::kDumpListFile) +
                                " could not be read: " + why + "." + kParagraph +
                                "Nothing was restored and the spreadsheet was not started. " +
                                bench::whereYourConfigIs(mainFolder, game));
        return;
    }
    if (auto leftOut = results::leftOutMessage(*table)) core::tell(dialogs, *leftOut);
    if (bench::gameRunning(folders)) {
        core::tell(dialogs,
                   bench::gameRunningMessage(mainFolder, "GENERATE RESULTS TO EXCEL", game));
        return;
    }

    // The run's files stay: the run is marked as given back.
    const auto restore = bench::giveConfigBack(mainFolder, true, game);
    switch (restore.state) {
    case bench::RestoreState::Failed:
        core::tell(dialogs, std::string(results::kNotRestored) + ": " + restore.why + ". " +
                                game.configFile + " was left as it is. " +
                                bench::whereYourConfigIs(mainFolder, game) + kParagraph +
                                "The spreadsheet was not started.");
        return;
    case bench::RestoreState::Restored:
        core::tell(dialogs, restore.why.empty()
                                ? std::string(results::kRestored)
                                : std::string(results::kRestored) + kParagraph + "But " +
                                      restore.why + ".");
        break;
    case bench::RestoreState::NotNeeded:
        core::tell(dialogs,
                   std::string(restore.ownKnown ? bench::kAlreadyYours : bench::kLeftAsItIs) + ".");
        break;
    case bench::RestoreState::Missing:
        core::tell(dialogs, restore.why.empty() ? std::string(results::kBackupMissing)
                                                : std::string(results::kBackupMissing) +
                                                      kParagraph + "But " + restore.why + ".");
        break;
    }

    const results::DumpFolder dumps(mainFolder, game);

    const auto started = launcher.startProgram(excelPath, spreadsheetArguments(excelPath));
    if (!started.started) {
        core::tell(dialogs, std::string(kSheetNotStarted) + ": " + excelPath + kParagraph +
                                started.error + kParagraph + "Nothing was typed.");
        return;
    }
    // Keys go to whichever window has the focus: type only once a window of the
    // started spreadsheet has taken it, never into one the user happened to be in.
    const auto window = keys.waitForFocusOf(started.processId, kFocusTimeoutMs);
    if (!window) {
        core::tell(dialogs, std::string(kSheetNoFocus) + ": " + excelPath + kParagraph +
                                "Nothing was typed, so no keystroke went to another window.");
        return;
    }

    const results::RunRecord& rec = *reading.record;
    SheetTypist typist(keys, window, dumps, dialogs);
    try {
        typist.setupBlock(rec);
        // parseRunRecord refuses a one-per-dump record without runs.
        const std::size_t runs = rec.runs < 1 ? 1 : static_cast<std::size_t>(rec.runs);
        for (std::size_t row = 0; row < results::kRows; ++row) {
            if (rec.mode == results::DumpMode::ThreePerDump)
                typist.threePerDumpRow(row, table->rows[row], rec.runs);
            else
                typist.onePerDumpRow(row, table->rows[row], runs);
        }
    } catch (const Stop&) {
        // Told where it happened.
    }
}

} // namespace

ExcelPanel GenerateEXCEL_Click(const core::GameFolders& folders, core::Dialogs& dialogs,
                               platform::Launcher& launcher, platform::KeySender& keys) {
    ExcelPanel panel;
    try {
        panel.pathText = locateExcel(folders.appFolder, kExcelNotKnown, dialogs);
        if (panel.pathText) exportRun(folders, *panel.pathText, dialogs, launcher, keys);
    } catch (const std::exception& e) {
        core::tell(dialogs,
                   std::string(kExportFailed) + ": " + e.what() + kParagraph + kTypedStays);
    }
    return panel;
}

std::vector<std::string> sheetMessageCatalog() {
    return {kSheetNoFocus, kFocusLeft, kLocateExcel,       kExcelNotKnown,   kInvalidExcelPath, kPickSpreadsheet, kExcelPathNotSaved,
            kExcelLocateFailed, kSheetNotStarted, kKeysNotSent,      kExportFailed};
}

} // namespace archive
