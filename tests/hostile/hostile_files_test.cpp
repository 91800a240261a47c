// Whole flows meeting files that others put where the tool expects its own text
// files: each ends at once with a message naming the file and saying what it is,
// and writes nothing through a link planted in its way.
#include "archive/browser.h"
#include "archive/excel_locator.h"
#include "bench/run_record.h"
#include "core/textfile.h"
#include "locate/locate.h"
#include "platform/files.h"
#include "results/make_results.h"
#include "results/report.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

const std::string kData = FRAMEWISE_RESULTS_DATA;
const std::string kReportName = "FRWb_120426_193005.txt";
const std::string kFifo = "it is a FIFO, not an ordinary file";
const std::string kDevice = "it is a device, not an ordinary file";
const std::string kFolder = "it is a folder";

// Something other than an ordinary text file put under a name.
enum class Kind { Fifo, DeviceLink, Folder, Huge };

struct Hostile {
    Kind kind;
    std::string why;
};

std::vector<Hostile> hostileKinds(std::uintmax_t limit) {
    return {{Kind::Fifo, kFifo},
            {Kind::DeviceLink, kDevice},
            {Kind::Folder, kFolder},
            {Kind::Huge, "it is larger than " + std::to_string(limit) + " bytes"}};
}

void plant(const fs::path& file, Kind kind) {
    fs::remove_all(file);
    switch (kind) {
    case Kind::Fifo:
        ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
        break;
    case Kind::DeviceLink:
        fs::create_symlink("/dev/zero", file);
        break;
    case Kind::Folder:
        fs::create_directory(file);
        break;
    case Kind::Huge:
        // One endless line, as a damaged file would have; sparse, so it costs no disk.
        writeFile(file, "");
        fs::resize_file(file, core::kReadLimit + 1);
        break;
    }
}

// What stands under the name afterwards: the planted thing, untouched.
bool stillThere(const fs::path& file, Kind kind) {
    switch (kind) {
    case Kind::Fifo:
        return fs::is_fifo(fs::symlink_status(file));
    case Kind::DeviceLink:
        return fs::is_symlink(file) && fs::read_symlink(file) == "/dev/zero";
    case Kind::Folder:
        return fs::is_directory(fs::symlink_status(file));
    case Kind::Huge:
        return fs::file_size(file) == core::kReadLimit + 1;
    }
    return false;
}

// A game install whose main folder holds a finished benchmark of the fixtures.
struct Install {
    TempDir tmp;
    GameInstall game = makeGameInstall(tmp.path() / "game");
    core::GameFolders folders;
    Install() {
        const char sep = platform::folderSeparator();
        fs::create_directories(tmp.path() / "app" / "User Results");
        folders.appFolder = (tmp.path() / "app").string() + sep;
        folders.gameFolder = game.root.string() + sep;
        folders.mainFolder = game.main().string() + sep;
        for (const auto& e : fs::directory_iterator(kData + "worked_con3"))
            fs::copy_file(e.path(), game.main() / e.path().filename());
        writeFile(game.main() / "config_mp.bak", "seta name \"Before\"\r\n");
        writeFile(game.main() / "FRWb_backup_pending.ini", "pending\r\n");
    }
    fs::path main() const { return game.main(); }
    fs::path results() const { return tmp.path() / "app" / "User Results"; }
};

} // namespace

TEST(HostileFiles, RememberedPathFileThatIsNoTextFileIsToldAndLeftAlone) {
    // The one-line file has a bound of its own: a 10 MB line is no path.
    for (const auto& h : hostileKinds(core::kFirstLineLimit)) {
        SCOPED_TRACE(h.why);
        TempDir tmp;
        const std::string app = tmp.folder();
        const fs::path pathFile = tmp.path() / "CoD_path.ini";
        if (h.kind == Kind::Huge) {
            writeFile(pathFile, std::string(10 << 20, 'x'));
        } else {
            plant(pathFile, h.kind);
        }
        ScriptedDialogs dialogs;
        dialogs.expectMessage("Framewise could not read " + pathFile.string() + ": " +
                              h.why +
                              ".\r\nNothing was changed; repair or remove that file and start "
                              "Framewise again.");
        FakeRegistry registry;
        EXPECT_FALSE(locate::startUp(app, dialogs, registry).proceed);
        EXPECT_EQ(registry.reads, 0);
        if (h.kind == Kind::Huge)
            EXPECT_EQ(fs::file_size(pathFile), std::uintmax_t{10} << 20);
        else
            EXPECT_TRUE(stillThere(pathFile, h.kind));
    }
}

TEST(HostileFiles, RunRecordOrDumpListThatIsNoTextFileStopsTheReportWithItsName) {
    for (const auto& h : hostileKinds(core::kReadLimit)) {
        SCOPED_TRACE(h.why);
        {
            Install in;
            plant(in.main() / bench::kRunRecordFile, h.kind);
            ScriptedDialogs dialogs;
            dialogs.expectMessage("Error - The run record FRWb_setup.ini is damaged: " + h.why +
                                  ".\r\n\r\nNo report was written.");
            EXPECT_TRUE(results::compileReport(in.folders.mainFolder, dialogs).name.empty());
            EXPECT_TRUE(stillThere(in.main() / bench::kRunRecordFile, h.kind));
        }
        {
            Install in;
            plant(in.main() / bench::kDumpListFile, h.kind);
            ScriptedDialogs dialogs;
            dialogs.expectMessage("Error - The dump list FRWb_condump_list.ini could not be read (" +
                                  h.why +
                                  "), so the report holds no results.\r\n\r\nThe report keeps "
                                  "its header and setup.");
            EXPECT_EQ(results::compileReport(in.folders.mainFolder, dialogs).name, kReportName);
        }
    }
}

TEST(HostileFiles, DumpThatIsNoTextFileIsNamedAndNeverHangsTheReport) {
    for (const auto& h : hostileKinds(core::kReadLimit)) {
        SCOPED_TRACE(h.why);
        Install in;
        plant(in.main() / "FRWb_3.lo", h.kind);
        ScriptedDialogs dialogs;
        dialogs.expectMessage("Error - The console dump FRWb_3.lo could not be read: " + h.why +
                              ".\r\n\r\nThe report keeps the lines written before it.");
        EXPECT_EQ(results::compileReport(in.folders.mainFolder, dialogs).name, kReportName);
        EXPECT_TRUE(stillThere(in.main() / "FRWb_3.lo", h.kind));
    }
}

TEST(HostileFiles, ArchivedReportThatIsNoTextFileIsNotPreviewed) {
    for (const auto& h : hostileKinds(core::kReadLimit)) {
        SCOPED_TRACE(h.why);
        TempDir tmp;
        const fs::path report = tmp.path() / kReportName;
        plant(report, h.kind);
        ScriptedDialogs dialogs;
        dialogs.expectMessage("Error - The report could not be read: " + report.string() + " (" +
                              h.why + ")");
        EXPECT_FALSE(archive::Combo_Results_Click(report.string(), dialogs));
    }
}

// The remembered spreadsheet path: the user is asked, and the failure to keep the
// answer names the file and what it is.
TEST(HostileFiles, SpreadsheetPathFileThatIsNoTextFileIsToldAndLeftAlone) {
    for (const auto& h : hostileKinds(core::kFirstLineLimit)) {
        if (h.kind == Kind::Huge) continue; // an ordinary file: replaced by the answer
        SCOPED_TRACE(h.why);
        TempDir tmp;
        const std::string excel = (tmp.path() / "Office" / "EXCEL.EXE").string();
        writeFile(excel, "program");
        const fs::path pathFile = tmp.path() / "e_path.ini";
        plant(pathFile, h.kind);
        ScriptedDialogs dialogs;
        dialogs.expectMessage(archive::kLocateExcel)
            .expectFileChoice(excel)
            .expectMessage(std::string(archive::kExcelPathNotSaved) + " in " + pathFile.string() +
                           " (" + h.why +
                           ").\r\n\r\nIt is used this time only; e_path.ini was left as it was.");
        EXPECT_EQ(archive::Excel_Click(tmp.folder(), dialogs).pathText, excel);
        EXPECT_TRUE(stillThere(pathFile, h.kind));
    }
}

// A link planted under the coming report's name, in the results folder or in the
// game's main folder, is never written through.
TEST(HostileFiles, ReportIsNeverWrittenThroughAPlantedLink) {
    {
        Install in;
        const fs::path victim = in.tmp.path() / "victim.cfg";
        writeFile(victim, "precious\r\n");
        fs::create_symlink(victim, in.results() / kReportName);
        ScriptedDialogs dialogs;
        dialogs
            .expectMessage("Error - The report " + kReportName +
                           " could not be saved in the results folder " + in.results().string() +
                           "/ (a link stands under that name).\r\n\r\nIt was kept in the game's "
                           "main folder as " +
                           (in.main() / ("Framewise_" + kReportName)).string() + ".")
            .expectMessage("CODconfig.bak has been restored to CODconfig.cfg\r\n\r\nAll "
                           "Framewise related files have been removed from your CallOfDuty "
                           "Directory.");
        auto out = results::makeResults(in.folders, dialogs);
        EXPECT_FALSE(out.archived);
        EXPECT_EQ(readFile(victim), "precious\r\n");
        EXPECT_TRUE(fs::is_symlink(in.results() / kReportName));
        EXPECT_EQ(readFile(in.main() / ("Framewise_" + kReportName)), readFile(kData + kReportName));
    }
    {
        Install in;
        const fs::path victim = in.tmp.path() / "victim.cfg";
        writeFile(victim, "precious\r\n");
        fs::create_symlink(victim, in.main() / kReportName);
        ScriptedDialogs dialogs;
        dialogs.expectMessage("CODconfig.bak has been restored to CODconfig.cfg\r\n\r\nAll "
                              "Framewise related files have been removed from your CallOfDuty "
                              "Directory.");
        auto out = results::makeResults(in.folders, dialogs);
        EXPECT_TRUE(out.archived);
        EXPECT_EQ(readFile(victim), "precious\r\n");
        EXPECT_EQ(readFile(in.results() / kReportName), readFile(kData + kReportName));
    }
}
