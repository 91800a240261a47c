#include "results/dumps.h"
#include "results/make_results.h"

#include "results/archive_list.h"
#include "bench/config_backup.h"
#include "core/textfile.h"
#include "platform/files.h"
#include "support/fakes.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>

using namespace results;
using testing_support::readFile;
using testing_support::ScriptedDialogs;
using testing_support::writeFile;
namespace fs = std::filesystem;

namespace {

const std::string kData = FRAMEWISE_RESULTS_DATA;
const std::string kReportName = "FRWb_120426_193005.txt";
const std::string kClosing =
    "CODconfig.bak has been restored to CODconfig.cfg\r\n\r\nAll Framewise "
    "related files have been removed from your CallOfDuty Directory.";
const std::string kBackup = "seta name \"Before the benchmark\"\r\n";

// A game install whose main folder holds a finished benchmark of the fixtures.
struct Install {
    testing_support::TempDir tmp;
    testing_support::GameInstall game = testing_support::makeGameInstall(tmp.path() / "game");
    core::GameFolders folders;

    explicit Install(const std::string& fixture) {
        const char sep = platform::folderSeparator();
        fs::create_directories(tmp.path() / "app");
        folders.appFolder = (tmp.path() / "app").string() + sep;
        folders.gameFolder = game.root.string() + sep;
        folders.mainFolder = game.main().string() + sep;
        for (const auto& e : fs::directory_iterator(kData + fixture))
            fs::copy_file(e.path(), game.main() / e.path().filename());
        writeFile(game.main() / "config_mp.bak", kBackup);
        writeFile(game.main() / bench::kBackupPendingFile, "pending\r\n");
        writeFile(game.main() / "config_mp.cfg", "seta r_mode \"6\"\r\n"); // the benchmark's
        for (const char* other : {"frwb_old.txt", "FRWb", "FRWbX.cfg"})
            writeFile(game.main() / other, "not the tool's");
    }
    fs::path main() const { return game.main(); }
    fs::path archived() const { return tmp.path() / "app" / "User Results" / kReportName; }
    std::vector<std::string> toolFilesLeft() const {
        std::vector<std::string> left;
        for (const auto& n : platform::listFiles(folders.mainFolder))
            if (n.rfind("FRWb_", 0) == 0) left.push_back(n);
        return left;
    }
};

std::string expectedReport() {
    return readFile(kData + kReportName);
}

// The expected report's first n lines, each with its line end.
std::string firstLines(std::size_t n) {
    auto lines = core::splitLines(expectedReport());
    lines.resize(n);
    return testing_support::crlf(lines);
}

std::string preview(const std::string& report) {
    std::string text;
    for (const auto& l : core::splitLines(report))
        text += "\r\n" + l;
    return text;
}

} // namespace

TEST(MakeResults, WorkedExampleIsArchivedShownRestoredAndCleanedInBothModes) {
    // engine_con1: the same run as a windowed game dumps it, each dump holding the
    // next play's loading block and the dumps after a "Clear" no mode line.
    for (const char* fixture : {"worked_con3", "worked_con1", "engine_con1"}) {
        SCOPED_TRACE(fixture);
        Install in(fixture);
        ScriptedDialogs d;
        d.expectMessage(kClosing);
        ResultsOutcome out = makeResults(in.folders, d);

        EXPECT_TRUE(out.archived);
        EXPECT_EQ(readFile(in.archived()), expectedReport());
        EXPECT_EQ(out.resultsloc, in.archived().string());
        EXPECT_EQ(out.comboItems, results::archiveItems(in.folders.appFolder));
        ASSERT_TRUE(out.comboItems);
        EXPECT_EQ(out.comboItems->size(), 2u);
        EXPECT_EQ(out.resultsText, preview(expectedReport()));
        EXPECT_EQ(out.resultsText->substr(0, 4), "\r\n--");

        EXPECT_EQ(readFile(in.main() / "config_mp.cfg"), kBackup);
        EXPECT_EQ(readFile(in.main() / "config_mp.bak"), kBackup);
        EXPECT_TRUE(in.toolFilesLeft().empty());
        for (const char* other : {"frwb_old.txt", "FRWb", "FRWbX.cfg", "pak0.pk3"})
            EXPECT_TRUE(fs::exists(in.main() / other)) << other;
    }
}

TEST(MakeResults, WithoutARunRecordOnlyAPendingBackupIsRestored) {
    {
        SCOPED_TRACE("nothing pending: nothing is touched");
        Install in("worked_con3");
        fs::remove(in.main() / "FRWb_setup.ini");
        fs::remove(in.main() / bench::kBackupPendingFile);
        ScriptedDialogs d;
        d.expectMessage(kNoResults);
        ResultsOutcome out = makeResults(in.folders, d);
        EXPECT_FALSE(out.archived);
        EXPECT_FALSE(out.resultsloc || out.comboItems || out.resultsText);
        EXPECT_EQ(readFile(in.main() / "config_mp.cfg"), "seta r_mode \"6\"\r\n");
        EXPECT_EQ(in.toolFilesLeft().size(), 5u);
        EXPECT_FALSE(fs::exists(in.tmp.path() / "app" / "User Results"));
    }
    {
        // A RUN stopped after its clean-up took the record but left the backup pending.
        SCOPED_TRACE("backup pending: it is given back");
        Install in("worked_con3");
        fs::remove(in.main() / "FRWb_setup.ini");
        ScriptedDialogs d;
        d.expectMessage(std::string(kNoResults) + "\r\n\r\n" + kRestored);
        ResultsOutcome out = makeResults(in.folders, d);
        EXPECT_FALSE(out.archived);
        EXPECT_EQ(readFile(in.main() / "config_mp.cfg"), kBackup);
        EXPECT_FALSE(fs::exists(in.main() / bench::kBackupPendingFile));
    }
}

TEST(MakeResults, StoppedBenchmarkStillArchivesThePartialReportAndRestores) {
    struct Case {
        const char* what;
        const char* fixture;
        const char* removeDump; // from the folder only
        bool dropLastListLine;
        std::string message;
        std::string report;
    };
    const Case cases[] = {
        {"dump missing, three per dump", "worked_con3", "FRWb_6.hi", false, kPrematureTermination,
         firstLines(20)},
        {"run missing mid-group", "worked_con1", "FRWb_6_2.hi", false, kPrematureTermination,
         firstLines(20) + " (1024x768)  30.1, "},
        {"group short of runs", "worked_con1", nullptr, true, kStoppedEarly,
         firstLines(20) + " (1024x768)  30.1,  30.4, "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Install in(c.fixture);
        if (c.removeDump) fs::remove(in.main() / c.removeDump);
        if (c.dropLastListLine) {
            auto list = *core::readLines(in.main() / "FRWb_condump_list.ini");
            list.pop_back();
            core::writeLines(in.main() / "FRWb_condump_list.ini", list);
        }
        ScriptedDialogs d;
        d.expectMessage(c.message).expectMessage(kClosing);
        ResultsOutcome out = makeResults(in.folders, d);
        EXPECT_TRUE(out.archived);
        EXPECT_EQ(readFile(in.archived()), c.report);
        EXPECT_EQ(out.resultsText, preview(c.report));
        ASSERT_TRUE(out.comboItems);
        EXPECT_EQ(out.comboItems->back(), in.archived().string());
        EXPECT_EQ(readFile(in.main() / "config_mp.cfg"), kBackup);
        EXPECT_TRUE(in.toolFilesLeft().empty());
    }
}

// Without the backup there is nothing to restore, however often it is tried:
// said once, then the run is finished like any other.
TEST(MakeResults, MissingBackupIsSaidOnceAndTheRunIsFinished) {
    for (bool marked : {true, false}) {
        SCOPED_TRACE(marked ? "an earlier version's mark" : "no mark");
        Install in("worked_con3");
        fs::remove(in.main() / "config_mp.bak");
        if (!marked) fs::remove(in.main() / bench::kBackupPendingFile);
        ScriptedDialogs d;
        d.expectMessage("CODconfig.bak is missing, so there was nothing to restore to "
                        "CODconfig.cfg. It was left as it is and may still hold the benchmark's "
                        "settings.\r\n\r\nAll Framewise related files have been removed from "
                        "your CallOfDuty Directory.");
        ResultsOutcome out = makeResults(in.folders, d);
        EXPECT_TRUE(out.archived);
        EXPECT_EQ(readFile(in.archived()), expectedReport());
        EXPECT_EQ(readFile(in.main() / "config_mp.cfg"), "seta r_mode \"6\"\r\n");
        EXPECT_TRUE(in.toolFilesLeft().empty());
        ScriptedDialogs again;
        again.expectMessage(kNoResults);
        makeResults(in.folders, again);
    }
}

TEST(MakeResults, DamagedRunRecordWritesNoReportRestoresAndKeepsTheRun) {
    struct Case {
        const char* name;
        std::string fault;
    };
    const Case cases[] = {
        {"../FRWb_escape.txt", "not a plain name"},
        {"FRWb_condump_list.ini", "another of the tool's files"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        Install in("worked_con3");
        auto record = *core::readLines(in.main() / "FRWb_setup.ini");
        record[9] = c.name;
        core::writeLines(in.main() / "FRWb_setup.ini", record);
        const auto toolFiles = in.toolFilesLeft();
        const std::string list = readFile(in.main() / "FRWb_condump_list.ini");
        ScriptedDialogs d;
        d.expectMessage("Error - The run record FRWb_setup.ini is damaged: line 10 (the report "
                        "name) is \"" +
                        std::string(c.name) +
                        "\", not a file name of the form FRWb_....txt.\r\n\r\nNo report was "
                        "written.")
            .expectMessage("CODconfig.bak has been restored to CODconfig.cfg\r\n\r\nThe "
                           "benchmark's files were kept in your CallOfDuty Directory, because no "
                           "report of them was saved.");
        ResultsOutcome out = makeResults(in.folders, d);
        EXPECT_FALSE(out.archived);
        EXPECT_FALSE(out.resultsloc || out.resultsText);
        EXPECT_FALSE(fs::exists(in.game.root / "FRWb_escape.txt"));
        EXPECT_TRUE(platform::listFiles((in.tmp.path() / "app" / "User Results").string()).empty());
        EXPECT_EQ(readFile(in.main() / "config_mp.cfg"), kBackup);
        EXPECT_EQ(readFile(in.main() / "FRWb_condump_list.ini"), list);
        // The run stays, marked as given back: no later press restores over the
        // player's changes.
        auto expected = toolFiles;
        expected.erase(std::find(expected.begin(), expected.end(), bench::kBackupPendingFile));
        expected.push_back(bench::kGivenBackFile);
        std::sort(expected.begin(), expected.end());
        auto left = in.toolFilesLeft();
        std::sort(left.begin(), left.end());
        EXPECT_EQ(left, expected);
        EXPECT_FALSE(bench::backupPending(in.folders.mainFolder));
    }
}

TEST(MakeResults, MissingDumpListArchivesTheSetupAlone) {
    Install in("worked_con3");
    fs::remove(in.main() / "FRWb_condump_list.ini");
    ScriptedDialogs d;
    d.expectMessage("Error - The dump list FRWb_condump_list.ini could not be read (it does not "
                    "exist), so the report holds no results.\r\n\r\nThe report keeps its header and "
                    "setup.")
        .expectMessage(kClosing);
    ResultsOutcome out = makeResults(in.folders, d);
    EXPECT_TRUE(out.archived);
    EXPECT_EQ(readFile(in.archived()), firstLines(13));
}

TEST(MakeResults, ReportThatCannotBeArchivedIsKeptUnderANameNoCleanUpTakes) {
    Install in("worked_con3");
    writeFile(in.tmp.path() / "app" / "User Results", "a file where the folder should be");
    const std::string kept = in.folders.mainFolder + "Framewise_" + kReportName;
    ScriptedDialogs d;
    d.expectMessage("Error - The report " + kReportName +
                    " could not be saved in the results folder " + in.folders.appFolder +
                    "User Results" + platform::folderSeparator() +
                    " (its folder does not exist).\r\n\r\nIt was kept in the game's main folder "
                    "as " + kept + ".")
        .expectMessage(kClosing);
    ResultsOutcome out = makeResults(in.folders, d);
    EXPECT_FALSE(out.archived);
    EXPECT_EQ(out.resultsloc, kept);
    EXPECT_EQ(readFile(kept), expectedReport());
    EXPECT_TRUE(in.toolFilesLeft().empty());
}

TEST(MakeResults, EarlierReportsStayListed) {
    Install in("worked_con3");
    const fs::path earlier = in.tmp.path() / "app" / "User Results" / "FRWb_010126_080000.txt";
    writeFile(earlier, "earlier\r\n");
    ScriptedDialogs d;
    d.expectMessage(kClosing);
    ResultsOutcome out = makeResults(in.folders, d);
    ASSERT_TRUE(out.comboItems);
    EXPECT_EQ(*out.comboItems,
              (std::vector<std::string>{results::kPlaceholder, in.archived().string(),
                                        earlier.string()}));
    EXPECT_EQ(readFile(earlier), "earlier\r\n");
}

TEST(ClosingMessage, NamesFilesThatCouldNotBeRemoved) {
    bench::RestoreResult restored;
    restored.state = bench::RestoreState::Restored;
    EXPECT_EQ(closingMessage(restored, {"FRWb_3.lo", "FRWb_lo.cfg"}, true, "/game/MAIN/"),
              "CODconfig.bak has been restored to CODconfig.cfg\r\n\r\nThese Framewise related "
              "files could not be removed from your CallOfDuty Directory: FRWb_3.lo, "
              "FRWb_lo.cfg.");
}
