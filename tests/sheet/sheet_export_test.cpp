#include "archive/sheet_export.h"

#include "bench/config_backup.h"
#include "bench/run_record.h"
#include "core/textfile.h"
#include "platform/files.h"
#include "platform/launcher.h"
#include "results/messages.h"
#include "results/report.h"
#include "support/fakes.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <ostream>
#include <utility>

using namespace archive;
using testing_support::crlf;
using testing_support::readFile;
using testing_support::RecordingKeySender;
using testing_support::ScriptedDialogs;
using testing_support::writeFile;
using Sent = RecordingKeySender::Sent;
namespace fs = std::filesystem;

namespace testing_support {
void PrintTo(const RecordingKeySender::Sent& s, std::ostream* os) {
    *os << (s.wait ? "W \"" : "- \"") << s.text << "\"";
}
} // namespace testing_support

namespace {

Sent w(const std::string& text) {
    return {text, true};
}
Sent n(const std::string& text) {
    return {text, false};
}
const Sent D = w("{DOWN}"), R = w("{RIGHT}"), H = w("{HOME}");

const std::string kBackup = "seta name \"Before the benchmark\"\r\n";
const std::string kBenchConfig = "seta r_mode \"6\"\r\n";

// A console dump as the game writes it: LF line ends, one result line per run.
std::string dump(const std::string& w, const std::string& h, const std::vector<std::string>& fps) {
    std::string text = "]vid_restart\n...setting mode 3:\nMODE: 3, " + w + " x " + h +
                       " fullscreen hz:N/A\n]timedemo 1\n";
    for (const auto& f : fps)
        text += "]demo bench1\n1300 frames, 27.4 seconds: " + f + " fps\n";
    return text + "]condump\n";
}

// A game install with a finished benchmark, a remembered spreadsheet path and the
// configuration backup RUN made.
struct Bench {
    testing_support::TempDir tmp;
    testing_support::GameInstall game = testing_support::makeGameInstall(tmp.path() / "game");
    core::GameFolders folders;
    std::string excel;
    RecordingKeySender keys;
    testing_support::RecordingLauncher launcher;
    ScriptedDialogs dialogs;
    std::string demo = "bench1";

    Bench() {
        const char sep = platform::folderSeparator();
        fs::create_directories(tmp.path() / "app");
        folders.appFolder = (tmp.path() / "app").string() + sep;
        folders.gameFolder = game.root.string() + sep;
        folders.mainFolder = game.main().string() + sep;
        excel = (tmp.path() / "Office").string() + sep + "EXCEL.EXE";
        writeFile(excel, "program");
        writeFile(tmp.path() / "app" / kExcelPathFile, crlf({excel}));
        writeFile(game.main() / "config_mp.bak", kBackup);
        writeFile(game.main() / bench::kBackupPendingFile, "pending\r\n");
        writeFile(game.main() / "config_mp.cfg", kBenchConfig);
    }
    // Where the message says the player's configuration is while the backup is pending.
    std::string safeInBackup() const {
        return "Your own config is safe in " + folders.mainFolder +
               "config_mp.bak; Generate Results puts it back.";
    }
    fs::path main() const { return game.main(); }

    void record(const std::string& mode, const std::vector<std::string>& levels,
                const std::vector<std::string>& resolutions, const std::string& runs) {
        std::vector<std::string> lines{mode, demo, std::to_string(levels.size())};
        lines.insert(lines.end(), levels.begin(), levels.end());
        lines.push_back(std::to_string(resolutions.size()));
        lines.insert(lines.end(), resolutions.begin(), resolutions.end());
        lines.insert(lines.end(), {runs, "FRWb_120426_193005.txt",
                                   "Friday, December 04, 2026  07:30:05 PM", "No Comment"});
        writeFile(main() / bench::kRunRecordFile, crlf(lines));
    }
    // Writes the dumps and a dump list naming them in this order.
    void dumps(const std::vector<std::pair<std::string, std::string>>& named) {
        std::vector<std::string> list;
        for (const auto& [name, text] : named) {
            list.push_back(name);
            writeFile(main() / name, text);
        }
        writeFile(main() / bench::kDumpListFile, crlf(list));
    }
    ExcelPanel press() { return GenerateEXCEL_Click(folders, dialogs, launcher, keys); }
};

// What follows the setup block: it ends with the first three waited downs in a row.
std::vector<Sent> levelBlocks(const std::vector<Sent>& sent) {
    for (std::size_t i = 0; i + 2 < sent.size(); ++i)
        if (sent[i] == D && sent[i + 1] == D && sent[i + 2] == D)
            return {sent.begin() + static_cast<std::ptrdiff_t>(i + 3), sent.end()};
    ADD_FAILURE() << "no end of the setup block";
    return {};
}

std::vector<Sent> header(const std::string& text) {
    return {D, w(text), D, H};
}

std::vector<Sent> join(std::initializer_list<std::vector<Sent>> parts) {
    std::vector<Sent> all;
    for (const auto& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

const std::vector<Sent> kSkippedRow{n("{DOWN}"), n("{HOME}")};

} // namespace

TEST(SheetExport, OnePerDumpTwoLevelsTypesTheWholeSequence) {
    Bench b;
    b.record("con1", {"Normal", "High"}, {"640x480", "800x600"}, "1");
    b.dumps({{"FRWb_3_1.lo", dump("640", "480", {"48.0"})},
             {"FRWb_4_1.lo", dump("800", "600", {"41.5"})},
             {"FRWb_3_1.hi", dump("640", "480", {"39.25"})},
             {"FRWb_4_1.hi", dump("800", "600", {"30"})}});
    b.dialogs.expectMessage(results::kRestored);

    const auto panel = b.press();

    EXPECT_TRUE(panel.visible);
    EXPECT_EQ(panel.pathText, b.excel);
    ASSERT_EQ(b.launcher.calls.size(), 1u);
    EXPECT_EQ(b.launcher.calls[0].kind, "program");
    EXPECT_EQ(b.launcher.calls[0].commandLine, b.excel);
    const std::vector<Sent> expected = join({
        {w("Framewise RESULTS"), D, w("BENCHMARK SETUP:  "), n("     Demo: bench1"), D,
         n("     Configuration Files Run: "), w("Normal   "), w("High   "), D,
         w("     Resolutions Used: "), w("  "), w("640x480   "), w("800x600   "), D,
         w("     Benchmarks run at these settings:1 times."), D, D, D},
        header("NORMAL Configuration File Settings:"),
        {w("(640x480) "), R, w("48.0"), R, w("AVERAGE:"), R, w("48"), D, H},
        {w("(800x600) "), R, w("41.5"), R, w("AVERAGE:"), R, w("41.5"), D, H},
        kSkippedRow,
        header("HIGH Configuration File Settings:"),
        {w("(640x480) "), R, w("39.25"), R, w("AVERAGE:"), R, w("39.25"), D, H},
        {w("(800x600) "), R, w("30"), R, w("AVERAGE:"), R, w("30"), D, H},
        kSkippedRow,
        kSkippedRow, // Maximum
        kSkippedRow, // Custom
    });
    EXPECT_EQ(b.keys.sent, expected);
    // The export leaves the run in place for "Generate Results".
    EXPECT_TRUE(fs::exists(b.main() / bench::kRunRecordFile));
    EXPECT_TRUE(fs::exists(b.main() / "FRWb_3_1.lo"));
}

TEST(SheetExport, RunMissingFromAGroupTypesTheEarlyStopAndGoesOnWithTheNextLevel) {
    Bench b;
    b.record("con1", {"Normal", "High"}, {"640x480", "800x600"}, "2");
    b.dumps({{"FRWb_3_1.lo", dump("640", "480", {"47.0"})},
             {"FRWb_3_2.lo", dump("640", "480", {"47.25"})},
             {"FRWb_4_1.lo", dump("800", "600", {"41.0"})},
             {"FRWb_3_1.hi", dump("640", "480", {"41.0"})},
             {"FRWb_3_2.hi", dump("640", "480", {"41.0"})}});
    b.dialogs.expectMessage(results::kRestored);
    b.press();
    const std::vector<Sent> expected = join({
        header("NORMAL Configuration File Settings:"),
        // 94.25 / 2 = 47.125 goes to the even hundredth.
        {w("(640x480) "), R, w("47.0"), R, w("47.25"), R, w("AVERAGE:"), R, w("47.12"), D, H},
        {w("(800x600) "), R, w("41.0"), R, n(results::kStoppedEarly)},
        kSkippedRow,
        header("HIGH Configuration File Settings:"),
        {w("(640x480) "), R, w("41.0"), R, w("41.0"), R, w("AVERAGE:"), R, w("41"), D, H},
        kSkippedRow,
        kSkippedRow,
        kSkippedRow,
    });
    EXPECT_EQ(levelBlocks(b.keys.sent), expected);
}

TEST(SheetExport, WindowedGameTypesTheSameLabelFromDumpsOfTheEnginesShape) {
    // The first dump of a group holds the next play's loading block after its
    // result; the second, taken after "Clear", holds no mode line at all.
    const std::string loading = "----- R_Init -----\nMODE: 3, 640 x 480 windowed hz:N/A\n"
                                "GAMMA: hardware w/ 0 overbright bits\n"
                                "----- finished R_Init -----\n";
    Bench b;
    b.record("con1", {"Normal"}, {"640x480"}, "2");
    b.dumps({{"FRWb_3_1.lo", loading + "1300 frames, 27.4 seconds: 47.0 fps\n" + loading +
                                 "Dumped console text to FRWb_3_1.lo.\n"},
             {"FRWb_3_2.lo", "1300 frames, 27.4 seconds: 47.25 fps\n"
                             "Dumped console text to FRWb_3_2.lo.\n"}});
    b.dialogs.expectMessage(results::kRestored);
    b.press();
    const std::vector<Sent> expected = join({
        header("NORMAL Configuration File Settings:"),
        {w("(640x480) "), R, w("47.0"), R, w("47.25"), R, w("AVERAGE:"), R, w("47.12"), D, H},
        kSkippedRow,
        kSkippedRow,
        kSkippedRow,
        kSkippedRow,
    });
    EXPECT_EQ(levelBlocks(b.keys.sent), expected);
}

TEST(SheetExport, FifthResolutionIsFollowedByAnExtraDown) {
    const std::vector<std::string> all{"320x240", "400x300", "512x384", "640x480",
                                       "800x600", "960x720", "1024x768"};
    for (std::size_t count : {4u, 5u, 7u}) {
        SCOPED_TRACE(count);
        Bench b;
        const std::vector<std::string> used(all.begin(), all.begin() + count);
        b.record("con1", {"Normal"}, used, "3");
        b.dumps({});
        b.dialogs.expectMessage(results::kRestored);
        b.press();
        std::vector<Sent> expected{w("     Resolutions Used: "), w("  ")};
        for (std::size_t i = 0; i < count; ++i) {
            expected.push_back(w(used[i] + "   "));
            if (i == 4) expected.push_back(D);
        }
        expected.insert(expected.end(), {D, w("     Benchmarks run at these settings:3 times.")});
        const auto& sent = b.keys.sent;
        const auto from = std::find(sent.begin(), sent.end(), expected.front());
        ASSERT_GE(sent.end() - from, static_cast<std::ptrdiff_t>(expected.size()));
        EXPECT_EQ(std::vector<Sent>(from, from + static_cast<std::ptrdiff_t>(expected.size())),
                  expected);
    }
}

TEST(SheetExport, NamesPastARowsPlacesAreToldAsGenerateResultsTellsThem) {
    // 37 runs of one resolution: one more name than a row holds.
    std::vector<std::pair<std::string, std::string>> named;
    for (int run = 1; run <= 37; ++run)
        named.push_back({"FRWb_3_" + std::to_string(run) + ".lo", dump("640", "480", {"48.0"})});
    const std::string leftOut =
        "Error - The dump list FRWb_condump_list.ini names more than 36 dumps for a detail "
        "level: Normal (1 left out).\r\n\r\nOnly the first 36 of each are used.";
    Bench b;
    b.record("con1", {"Normal"}, {"640x480"}, "1");
    b.dumps(named);

    // Told with the other checks, before the configuration is given back.
    b.dialogs.expectMessage(leftOut).expectMessage(results::kRestored);
    b.press();
    EXPECT_EQ(std::count(b.keys.sent.begin(), b.keys.sent.end(), w("48.0")), 36);

    ScriptedDialogs reportDialogs;
    reportDialogs.expectMessage(leftOut);
    const auto report = results::compileReport(b.folders.mainFolder, reportDialogs);
    std::size_t lines = 0;
    for (auto at = report.text.find("AVERAGE FPS"); at != std::string::npos;
         at = report.text.find("AVERAGE FPS", at + 1))
        ++lines;
    EXPECT_EQ(lines, 36u);
}

TEST(SheetExport, ThreePerDumpSingleResultHasNoAverageAndFourAreAveraged) {
    const std::vector<Sent> emptyRow{D, H};
    {
        Bench b;
        b.record("con3", {"Normal"}, {"640x480"}, "1");
        b.dumps({{"FRWb_3.lo", dump("640", "480", {"48.0"})}});
        b.dialogs.expectMessage(results::kRestored);
        b.press();
        const std::vector<Sent> expected = join({
            header("NORMAL Configuration File Settings:"),
            {w("(640x480) "), R, w("48.0"), R, D, D, H},
            emptyRow,
            emptyRow,
            emptyRow,
            emptyRow,
        });
        EXPECT_EQ(levelBlocks(b.keys.sent), expected);
    }
    {
        // A record edited to four runs: the dump holds four, and they are averaged.
        Bench b;
        b.record("con3", {"Normal"}, {"1024x768"}, "4");
        b.dumps({{"FRWb_6.lo", dump("1024", "768", {"35.2", "35.8", "35.5", "36.0"})}});
        b.dialogs.expectMessage(results::kRestored);
        b.press();
        const std::vector<Sent> expected = join({
            header("NORMAL Configuration File Settings:"),
            // 142.5 / 4 = 35.625 goes to the even hundredth.
            {w("(1024x768) "), R, w("35.2"), R, w("35.8"), R, w("35.5"), R, w("36.0"), R,
             w("AVERAGE:"), R, w("35.62"), D, H},
            emptyRow,
            emptyRow,
            emptyRow,
            emptyRow,
        });
        EXPECT_EQ(levelBlocks(b.keys.sent), expected);
    }
}

TEST(SheetExport, NoRunRecordTellsAndRestoresNothing) {
    Bench b;
    b.dialogs.expectMessage(std::string(results::kNoResults) + "\r\n\r\n" + b.safeInBackup());
    const auto panel = b.press();
    EXPECT_EQ(panel.pathText, b.excel);
    EXPECT_TRUE(b.launcher.calls.empty());
    EXPECT_TRUE(b.keys.sent.empty());
    EXPECT_EQ(readFile(b.main() / "config_mp.cfg"), kBenchConfig);
}

TEST(SheetExport, EverySpreadsheetProgramIsStartedWithItsOwnArguments) {
    for (const auto& program : platform::spreadsheetPrograms()) {
        SCOPED_TRACE(program.name);
        Bench b;
        const std::string path =
            (b.tmp.path() / "bin").string() + platform::folderSeparator() + program.name;
        writeFile(path, "program");
        writeFile(b.tmp.path() / "app" / kExcelPathFile, crlf({path}));
        b.record("con1", {"Normal"}, {"640x480"}, "1");
        b.dumps({{"FRWb_3_1.lo", dump("640", "480", {"48.0"})}});
        b.dialogs.expectMessage(results::kRestored);
        EXPECT_EQ(b.press().pathText, path);
        ASSERT_EQ(b.launcher.calls.size(), 1u);
        EXPECT_EQ(b.launcher.calls[0].commandLine, path);
        EXPECT_EQ(b.launcher.calls[0].arguments, program.arguments);
    }
}

TEST(SheetExport, ConfigurationIsRestoredAndToldBeforeTheSpreadsheetStarts) {
    struct WatchingLauncher : testing_support::RecordingLauncher {
        std::string configAtStart;
        std::size_t dialogsAtStart = 0;
        fs::path config;
        const ScriptedDialogs* dialogs = nullptr;
        platform::LaunchResult startProgram(const std::string& path,
                                            const std::vector<std::string>& arguments) override {
            configAtStart = readFile(config);
            dialogsAtStart = dialogs->shown.size();
            return RecordingLauncher::startProgram(path, arguments);
        }
    };
    Bench b;
    b.record("con1", {"Normal"}, {"640x480"}, "1");
    b.dumps({{"FRWb_3_1.lo", dump("640", "480", {"48.0"})}});
    b.dialogs.expectMessage(results::kRestored);
    WatchingLauncher launcher;
    launcher.config = b.main() / "config_mp.cfg";
    launcher.dialogs = &b.dialogs;
    GenerateEXCEL_Click(b.folders, b.dialogs, launcher, b.keys);
    ASSERT_EQ(launcher.calls.size(), 1u);
    EXPECT_EQ(launcher.configAtStart, kBackup);
    EXPECT_EQ(launcher.dialogsAtStart, 1u);
    EXPECT_EQ(readFile(b.main() / "config_mp.bak"), kBackup);
}

TEST(SheetExport, FaultsBeforeTypingAreToldAndNothingIsTyped) {
    struct Case {
        const char* what;
        // Arranges the fault and returns the messages the user must see.
        std::vector<std::string> (*arrange)(Bench&);
        std::size_t launches, sends;
    };
    const Case cases[] = {
        // The record and the dump list are checked before anything changes.
        {"a damaged run record",
         [](Bench& b) -> std::vector<std::string> {
             writeFile(b.main() / bench::kRunRecordFile, crlf({"con1", "bench1", "two"}));
             const auto fault = results::parseRunRecord({"con1", "bench1", "two"}).fault;
             return {std::string(results::kDamagedRecord) + bench::kRunRecordFile +
                     " is damaged: " + fault +
                     ".\r\n\r\nNothing was restored and the spreadsheet was not started. " +
                     b.safeInBackup()};
         },
         0, 0},
        {"no dump list",
         [](Bench& b) -> std::vector<std::string> {
             fs::remove(b.main() / bench::kDumpListFile);
             return {std::string(results::kDumpListTrouble) + bench::kDumpListFile +
                     " could not be read: it does not exist.\r\n\r\nNothing was restored and "
                     "the spreadsheet was not started. " +
                     b.safeInBackup()};
         },
         0, 0},
        {"the spreadsheet cannot start",
         [](Bench& b) -> std::vector<std::string> {
             b.launcher.result = {false, "No such program."};
             return {results::kRestored, std::string(kSheetNotStarted) + ": " + b.excel +
                                             "\r\n\r\nNo such program.\r\n\r\nNothing was typed."};
         },
         1, 0},
        {"the spreadsheet never takes the focus",
         [](Bench& b) -> std::vector<std::string> {
             b.keys.focusMoves = false;
             return {results::kRestored,
                     std::string(kSheetNoFocus) + ": " + b.excel +
                         "\r\n\r\nNothing was typed, so no keystroke went to another window."};
         },
         1, 0},
        {"no display for the keystrokes",
         [](Bench& b) -> std::vector<std::string> {
             b.keys.succeed = false;
             return {results::kRestored,
                     std::string(kKeysNotSent) +
                         " (is there a desktop display?).\r\n\r\nNothing was typed."};
         },
         1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Bench b;
        b.record("con1", {"Normal"}, {"640x480"}, "1");
        b.dumps({{"FRWb_3_1.lo", dump("640", "480", {"48.0"})}});
        for (const auto& m : c.arrange(b))
            b.dialogs.expectMessage(m);
        const std::string config = readFile(b.main() / "config_mp.cfg");
        EXPECT_EQ(b.press().pathText, b.excel);
        EXPECT_EQ(b.launcher.calls.size(), c.launches);
        EXPECT_EQ(b.keys.sent.size(), c.sends);
        if (c.launches == 0) {
            EXPECT_EQ(readFile(b.main() / "config_mp.cfg"), config);
        }
    }
}

TEST(SheetExport, ReadsTheRecordOnlyUpToTheNumberOfRuns) {
    // Report name, start time and comment are Generate Results' business.
    for (std::size_t keep : {std::size_t{7}, std::size_t{10}}) {
        SCOPED_TRACE(keep);
        Bench b;
        b.record("con1", {"Normal"}, {"640x480"}, "1");
        auto lines = *core::readLines(b.main() / bench::kRunRecordFile);
        lines.resize(keep);
        if (keep > 7) lines[7] = "../not a report name";
        writeFile(b.main() / bench::kRunRecordFile, crlf(lines));
        b.dumps({{"FRWb_3_1.lo", dump("640", "480", {"48.0"})}});
        b.dialogs.expectMessage(results::kRestored);
        b.press();
        EXPECT_EQ(b.launcher.calls.size(), 1u);
        EXPECT_FALSE(levelBlocks(b.keys.sent).empty());
    }
}

TEST(SheetExport, ASecondExportLeavesTheGivenBackConfigAlone) {
    // A run laid out without an earlier version's mark is restored all the same.
    for (bool marked : {true, false}) {
        SCOPED_TRACE(marked ? "marked" : "no mark");
        Bench b;
        if (!marked) fs::remove(b.main() / bench::kBackupPendingFile);
        b.record("con1", {"Normal"}, {"640x480"}, "1");
        b.dumps({{"FRWb_3_1.lo", dump("640", "480", {"48.0"})}});
        b.dialogs.expectMessage(results::kRestored);
        b.press();
        // The player changes a setting in the game between the two exports.
        writeFile(b.main() / "config_mp.cfg", "seta name \"Changed since\"\r\n");
        b.dialogs.expectMessage(
            "CODconfig.cfg was left as it is: it already holds your own config.");
        b.press();
        EXPECT_EQ(readFile(b.main() / "config_mp.cfg"), "seta name \"Changed since\"\r\n");
        EXPECT_EQ(b.launcher.calls.size(), 2u);
    }
}

TEST(SheetExport, MissingBackupIsSaidOnceAndTheExportGoesOn) {
    Bench b;
    b.record("con1", {"Normal"}, {"640x480"}, "1");
    b.dumps({{"FRWb_3_1.lo", dump("640", "480", {"48.0"})}});
    fs::remove(b.main() / "config_mp.bak");
    b.dialogs.expectMessage(results::kBackupMissing);
    b.press();
    EXPECT_EQ(b.launcher.calls.size(), 1u);
    EXPECT_FALSE(levelBlocks(b.keys.sent).empty());
    EXPECT_EQ(readFile(b.main() / "config_mp.cfg"), kBenchConfig);
    // Not said again, and the config is not called the player's own.
    b.dialogs.expectMessage("CODconfig.cfg was left as it is.");
    b.press();
}

TEST(SheetExport, BadDumpStopsTheExportWithOneMessageNamingIt) {
    const std::string typedStays = "\r\n\r\nThe export stopped there. What was typed before "
                                   "stays in the spreadsheet.";
    struct Case {
        const char* mode;
        std::string name, text; // the Normal row's only dump; "" text: not written
        std::string message;
    };
    const std::string damaged = results::kDamagedDump;
    const Case cases[] = {
        {"con1", "FRWb_3_1.lo", "",
         damaged + "FRWb_3_1.lo is missing: the benchmark stopped before writing it."},
        {"con1", "FRWb_3_1.lo", "]condump\n",
         damaged + "FRWb_3_1.lo has no screen mode line " + "(\"MODE: n, W x H ...\")."},
        {"con1", "FRWb_3_1.lo", dump("640", "480", {}),
         damaged + "FRWb_3_1.lo holds no result line (\"<frames> frames, <time> seconds: "
                   "<fps> fps\")."},
        {"con3", "FRWb_3.lo", dump("640", "480", {"48.0", "4x.5"}),
         damaged + "FRWb_3.lo has the result \"4x.5\", which is not a number."},
        {"con1", "../FRWb_3_1.lo", "",
         std::string(results::kDumpListTrouble) + bench::kDumpListFile +
             " names \"../FRWb_3_1.lo\", which is not a plain file name, so it was not opened."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name + " " + c.text);
        Bench b;
        b.record(c.mode, {"Normal"}, {"640x480"}, "1");
        writeFile(b.main() / bench::kDumpListFile, crlf({c.name}));
        if (!c.text.empty()) writeFile(b.main() / c.name, c.text);
        // A dump outside the main folder is never read, even when it is there.
        writeFile(b.game.root / "FRWb_3_1.lo", dump("640", "480", {"48.0"}));
        b.dialogs.expectMessage(results::kRestored).expectMessage(c.message + typedStays);
        b.press();
        const auto after = levelBlocks(b.keys.sent);
        const auto head = header("NORMAL Configuration File Settings:");
        // The header was typed; the label only when the dump gave one, then nothing more.
        ASSERT_GE(after.size(), head.size());
        EXPECT_EQ(std::vector<Sent>(after.begin(), after.begin() + 4), head);
        EXPECT_LE(after.size(), head.size() + 4);
        for (const auto& s : after)
            EXPECT_NE(s.text, "48.0");
    }
}

TEST(SheetExport, DecliningToLocateTheSpreadsheetRestoresAndTypesNothing) {
    Bench b;
    b.record("con1", {"Normal"}, {"640x480"}, "1");
    b.dumps({{"FRWb_3_1.lo", dump("640", "480", {"48.0"})}});
    fs::remove(b.tmp.path() / "app" / kExcelPathFile);
    b.dialogs.expectMessage(kExcelNotKnown)
        .expectFileCancel()
        .expectMessage(invalidSpreadsheetText(), core::Answer::No);
    const auto panel = b.press();
    EXPECT_TRUE(panel.visible);
    EXPECT_FALSE(panel.pathText.has_value());
    EXPECT_TRUE(b.launcher.calls.empty());
    EXPECT_TRUE(b.keys.sent.empty());
    EXPECT_EQ(readFile(b.main() / "config_mp.cfg"), kBenchConfig);
}

TEST(SheetExport, NamesAreTypedAsTheyStandAndOnlyTheLabelGroups) {
    Bench b;
    // A demo name with grouping characters and a key name in it.
    b.demo = "dusk(2) {DOWN}";
    b.record("con1", {"Normal"}, {"640x480"}, "1");
    b.dumps({{"FRWb_3_1.lo", dump("640", "480", {"48.0"})}});
    b.launcher.result.processId = 4242;
    b.dialogs.expectMessage(results::kRestored);

    b.press();

    // Keys go only to a window of the program just started.
    EXPECT_EQ(b.keys.focusProcess, 4242);
    ASSERT_GT(b.keys.sent.size(), 20u);
    EXPECT_EQ(b.keys.sent[3], n("     Demo: dusk{(}2{)} {{}DOWN{}}"));
    std::string typed;
    for (const auto& key : platform::parseKeys(b.keys.sent[3].text)) typed += key.character;
    EXPECT_EQ(typed, "     Demo: dusk(2) {DOWN}");
    EXPECT_EQ(b.keys.sent[20], w("(640x480) "));
}

TEST(SheetExport, StopsWhereAKeyCannotGoAndSaysWhatWasTyped) {
    const std::string stays = "\r\n\r\nWhat was typed before stays in the spreadsheet.";
    struct Case {
        const char* what;
        std::function<void(Bench&)> arrange;
        std::string message;
        std::size_t sends;
    };
    const Case cases[] = {
        {"the focus leaves in the setup rows",
         [](Bench& b) { b.keys.focusLeavesAfter = 5; },
         std::string(kFocusLeft) +
             ", so the export stopped: no key went to the other window.\r\n\r\nThe export stopped "
             "in the setup rows. The last text typed was \"{DOWN}\"; \"     Configuration Files "
             "Run: \" and everything after it were not typed." + stays,
         5},
        {"the focus leaves in a level's rows",
         [](Bench& b) { b.keys.focusLeavesAfter = 21; },
         std::string(kFocusLeft) +
             ", so the export stopped: no key went to the other window.\r\n\r\nThe export stopped "
             "in the NORMAL rows. The last text typed was \"640x480 \"; \"{RIGHT}\" and "
             "everything after it were not typed." + stays,
         21},
        {"a character without a key",
         [](Bench& b) { b.keys.untypable = "\xE2\x82\xAC"; },
         std::string(kKeysNotSent) +
             ": \"\xE2\x82\xAC\" cannot be typed on this system.\r\n\r\nThe export stopped in the "
             "setup rows. The last text typed was \"BENCHMARK SETUP:  \"; \"     Demo: "
             "\xE2\x82\xAC" "uro\" and everything after it were not typed." + stays,
         3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Bench b;
        b.demo = "\xE2\x82\xAC" "uro";
        b.record("con1", {"Normal"}, {"640x480"}, "1");
        b.dumps({{"FRWb_3_1.lo", dump("640", "480", {"48.0"})}});
        c.arrange(b);
        b.dialogs.expectMessage(results::kRestored).expectMessage(c.message);
        b.press();
        EXPECT_EQ(b.keys.sent.size(), c.sends);
    }
}

// The sixth and later resolutions share a cell that starts with the sixth one's
// text; a spreadsheet would complete that one's label from it, in every level.
// A character that continues no text of the column, taken back at once, ends
// the proposal; where the cell goes on with "~", the next one does.
TEST(SheetExport, ALabelASpreadsheetCouldCompleteHasTheProposalBroken) {
    const std::vector<std::string> res{"640x480",  "800x600",   "1024x768",
                                       "1152x864", "1280x1024", "1600x1200"};
    const struct {
        std::string sixthInRecord;
        std::string breaker;
    } cases[] = {{"1600x1200", "~{BS}"}, {"1600x1200 ~x", "|{BS}"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sixthInRecord);
        Bench b;
        auto recorded = res;
        recorded.back() = c.sixthInRecord;
        b.record("con1", {"Normal", "High"}, recorded, "1");
        std::vector<std::pair<std::string, std::string>> named;
        for (const std::string level : {".lo", ".hi"})
            for (std::size_t i = 0; i < res.size(); ++i)
                named.push_back({"FRWb_" + std::to_string(i) + "_1" + level,
                                 dump(res[i].substr(0, res[i].find('x')),
                                      res[i].substr(res[i].find('x') + 1), {"40.0"})});
        b.dumps(named);
        b.dialogs.expectMessage(results::kRestored);

        b.press();

        std::vector<Sent> rows;
        for (const std::string level : {"NORMAL", "HIGH"}) {
            const auto head = header(level + " Configuration File Settings:");
            rows.insert(rows.end(), head.begin(), head.end());
            for (const auto& r : res) {
                rows.push_back(w("(" + r + ") "));
                if (r == "1600x1200") rows.push_back(w(c.breaker));
                rows.insert(rows.end(), {R, w("40.0"), R, w("AVERAGE:"), R, w("40"), D, H});
            }
            rows.insert(rows.end(), {n("{DOWN}"), n("{HOME}")});
        }
        for (int skipped = 0; skipped < 2; ++skipped)
            rows.insert(rows.end(), kSkippedRow.begin(), kSkippedRow.end());
        EXPECT_EQ(levelBlocks(b.keys.sent), rows);
    }
}
