// The sequences in which players lost their configuration or their results,
// each walked on a real install with the stand-in game.
#include "sequence_support.h"

#include "bench/config_backup.h"
#include "results/restore.h"

#include <gtest/gtest.h>

namespace {

using sequence::Player;
using sequence::Step;
namespace fs = std::filesystem;
using testing_support::readFile;
using testing_support::writeFile;

const std::string kRestoredAndRemoved =
    "CODconfig.bak has been restored to CODconfig.cfg\r\n\r\nAll Framewise related files have "
    "been removed from your CallOfDuty Directory.";

// The message shown last, or first; nothing when none was shown.
std::string last(const Player& p) {
    return p.dialogs.messages.empty() ? std::string() : p.dialogs.messages.back();
}
std::string first(const Player& p) {
    return p.dialogs.messages.empty() ? std::string() : p.dialogs.messages.front();
}

std::vector<std::string> toolFiles(const Player& p) {
    std::vector<std::string> left;
    for (const auto& n : platform::listFiles(p.folders.mainFolder))
        if (n.rfind("FRWb_", 0) == 0) left.push_back(n);
    return left;
}

TEST(PlayerSequence, InterruptedRunBetweenTwoRunsKeepsTheFirstBackup) {
    const Step interruptions[] = {Step::RunCancel, Step::RunNoDemo, Step::RunBadDemo,
                                  Step::RunNoConfig, Step::RunNoWrite};
    for (Step interruption : interruptions) {
        SCOPED_TRACE(sequence::nameOf(interruption));
        Player p;
        const std::string own = p.userConfig;
        p.walk({Step::RunYes, interruption, Step::RunYes});
        EXPECT_EQ(p.backup(), own);
        p.generate();
        EXPECT_EQ(last(p), kRestoredAndRemoved);
        EXPECT_EQ(p.config(), own);
    }
}

TEST(PlayerSequence, ChangesMadeAfterAnExportSurviveTheNextBenchmark) {
    Player p;
    p.walk({Step::RunYes, Step::Export});
    EXPECT_EQ(first(p), results::kRestored);
    p.walk({Step::Edit, Step::RunYes});
    const std::string edited = p.userConfig;
    EXPECT_EQ(p.backup(), edited);
    p.generate();
    EXPECT_EQ(p.config(), edited);
    EXPECT_EQ(last(p), kRestoredAndRemoved);
}

TEST(PlayerSequence, ExportThenGenerateResultsLeavesTheGivenBackConfigAlone) {
    Player p;
    p.walk({Step::RunYes, Step::Export, Step::Edit});
    p.generate();
    EXPECT_EQ(p.config(), p.userConfig);
    EXPECT_EQ(last(p),
              "CODconfig.cfg was left as it is: it already holds your own config.\r\n\r\nAll "
              "Framewise related files have been removed from your CallOfDuty Directory.");
    EXPECT_TRUE(toolFiles(p).empty());
}

TEST(PlayerSequence, FailedRestoreKeepsEverythingItNeedsAndGivesTheReason) {
    struct Fault {
        const char* what;
        Step step;
        std::string reason; // found in the message
    };
    const Fault faults[] = {
        {"backup unreadable", Step::GenerateBackupUnreadable,
         "config_mp.bak is a folder, not a file"},
        {"disk full", Step::GenerateDiskFull, "File too large"},
    };
    for (const auto& f : faults) {
        SCOPED_TRACE(f.what);
        Player p;
        const std::string own = p.userConfig;
        p.walk({Step::RunYes, f.step});
        const std::string closing = last(p);
        EXPECT_EQ(closing.rfind("CODconfig.bak could not be restored to CODconfig.cfg: ", 0), 0u)
            << closing;
        EXPECT_NE(closing.find(f.reason), std::string::npos) << closing;
        EXPECT_NE(closing.find("config_mp.cfg was left as it is. Your own config is safe in " +
                               p.folders.mainFolder + "config_mp.bak"),
                  std::string::npos)
            << closing;
        EXPECT_TRUE(fs::exists(p.main() / "FRWb_setup.ini"));
        EXPECT_TRUE(bench::backupPending(p.folders.mainFolder));
        // The next RUN keeps the backup, and the next Generate Results gives it back.
        p.walk({Step::RunYes, Step::Generate});
        EXPECT_EQ(p.config(), own);
    }
}

TEST(PlayerSequence, ConfigThatIsAFolderIsNotClaimedRestored) {
    Player p;
    p.walk({Step::RunYes});
    fs::remove(p.main() / "config_mp.cfg");
    fs::create_directory(p.main() / "config_mp.cfg");
    p.generate();
    EXPECT_NE(last(p).find("config_mp.cfg is a folder, not a file"), std::string::npos)
        << p.dialogs.all();
    EXPECT_EQ(p.backup(), p.userConfig);
    EXPECT_TRUE(fs::exists(p.main() / "FRWb_setup.ini"));
}

TEST(PlayerSequence, GenerateResultsWhileTheGameRunsChangesNothing) {
    Player p;
    p.walk({Step::RunHeld});
    const auto before = p.runFiles();
    const std::string config = p.config();
    p.generate();
    ASSERT_EQ(p.dialogs.messages.size(), 1u);
    EXPECT_EQ(p.dialogs.messages[0],
              "Error - CallOfDuty is still running.\r\n\r\nIt saves its settings into "
              "config_mp.cfg when it quits, which would undo anything done now, so nothing was "
              "changed. Your own config is safe in " +
                  p.folders.mainFolder +
                  "config_mp.bak; Generate Results puts it back.\r\n\r\nQuit CallOfDuty, then "
                  "press Generate Results again.");
    EXPECT_EQ(p.runFiles(), before);
    EXPECT_EQ(p.config(), config);
    EXPECT_TRUE(p.reportFiles().empty());

    p.releaseGame();
    p.generate();
    EXPECT_EQ(last(p), kRestoredAndRemoved);
    EXPECT_EQ(p.config(), p.userConfig);
    EXPECT_TRUE(toolFiles(p).empty());
}

TEST(PlayerSequence, ReportKeptInTheMainFolderSurvivesTheNextRun) {
    Player p;
    p.walk({Step::RunYes, Step::GenerateArchiveUnwritable});
    const auto kept = p.reportFiles();
    ASSERT_EQ(kept.size(), 1u);
    const fs::path keptPath = *kept.begin();
    EXPECT_EQ(keptPath.parent_path(), p.main());
    EXPECT_EQ(keptPath.filename().string().rfind("FRWb_", 0), std::string::npos);
    EXPECT_NE(
        p.dialogs.all().find("It was kept in the game's main folder as " + keptPath.string() + "."),
        std::string::npos)
        << p.dialogs.all();
    const std::string report = readFile(keptPath);
    p.walk({Step::RunYes, Step::Generate});
    EXPECT_EQ(readFile(keptPath), report);
}

TEST(PlayerSequence, RunWhoseReportCannotBeWrittenKeepsItsDumpsAndRecord) {
    struct Damage {
        const char* what;
        std::string reportName;
    };
    const Damage damages[] = {
        {"not a plain name", "../FRWb_escape.txt"},
        {"another of the tool's files", "FRWb_condump_list.ini"},
        {"too long for the file system", "FRWb_" + std::string(300, 'x') + ".txt"},
    };
    for (const auto& d : damages) {
        SCOPED_TRACE(d.what);
        Player p;
        p.walk({Step::RunYes});
        auto record = *core::readLines(p.main() / "FRWb_setup.ini");
        record[record.size() - 3] = d.reportName;
        core::writeLines(p.main() / "FRWb_setup.ini", record);
        const auto before = p.runFiles();
        p.generate();
        EXPECT_EQ(p.runFiles(), before);
        EXPECT_TRUE(p.reportFiles().empty());
        EXPECT_EQ(p.config(), p.userConfig);
        EXPECT_EQ(last(p),
                  "CODconfig.bak has been restored to CODconfig.cfg\r\n\r\nThe benchmark's files "
                  "were kept in your CallOfDuty Directory, because no report of them was saved.");
    }
}

TEST(PlayerSequence, DumpListWithLineFeedsAloneIsAnErrorAndNothingIsDeleted) {
    Player p;
    p.walk({Step::RunYes});
    const fs::path list = p.main() / "FRWb_condump_list.ini";
    std::string bytes = readFile(list);
    for (std::size_t at; (at = bytes.find("\r\n")) != std::string::npos;)
        bytes.erase(at, 1);
    writeFile(list, bytes);
    const auto before = p.runFiles();
    p.generate();
    EXPECT_EQ(first(p).rfind("Error - The dump list FRWb_condump_list.ini has "
                             "lines ended by a line feed alone",
                             0),
              0u)
        << p.dialogs.all();
    EXPECT_EQ(p.runFiles(), before);
    EXPECT_TRUE(p.reportFiles().empty());
}

TEST(PlayerSequence, RestoreGoesThroughALinkedConfiguration) {
    Player p;
    // The player's configuration lives in a dotfiles folder; the game sees a link.
    const fs::path dotfiles = p.tmp.path() / "dotfiles" / "config_mp.cfg";
    fs::create_directories(dotfiles.parent_path());
    fs::rename(p.main() / "config_mp.cfg", dotfiles);
    fs::create_symlink(dotfiles, p.main() / "config_mp.cfg");
    p.walk({Step::RunYes, Step::Generate});
    EXPECT_TRUE(fs::is_symlink(p.main() / "config_mp.cfg"));
    EXPECT_EQ(readFile(dotfiles), p.userConfig);
    EXPECT_EQ(last(p), kRestoredAndRemoved);
}

} // namespace
