// "Generate Results" on a benchmark written into a scratch install: the run
// record, the dump list and the dumps it names come from the input, parted by
// fuzz::kPartBreak (record, list, then one dump per list line in list order).
#include "fuzz_support.h"
#include "core/textfile.h"
#include "results/make_results.h"
#include "results/system_record.h"
#include "results/report.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace {

fuzz::Scratch& scratch() {
    static fuzz::Scratch s("compile");
    return s;
}

const std::string kConfig = "seta r_mode \"3\"\n";
const std::string kBenchConfig = "seta r_mode \"6\"\n";

std::string fileText(const std::string& path) {
    return core::readAll(core::fsPath(path)).value_or("<unreadable>");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto parts = fuzz::splitParts(data, size);
    const std::string root = scratch().fresh();
    core::GameFolders folders;
    folders.appFolder = root + "app/";
    folders.gameFolder = root + "game/";
    folders.gameDrive = folders.gameFolder.front();
    folders.mainFolder = folders.gameFolder + "MAIN/";
    folders.demosFolder = folders.mainFolder + "demos/";
    fs::create_directories(folders.demosFolder);
    fs::create_directories(folders.appFolder + "User Results");

    const std::string& main = folders.mainFolder;
    fuzz::writeFile(main + "config_mp.cfg", kBenchConfig);
    fuzz::writeFile(main + "config_mp.bak", kConfig);
    fuzz::writeFile(main + "FRWb_backup_pending.ini", "pending\r\n"); // as RUN leaves it
    fuzz::writeFile(main + "FRWb_setup.ini", parts[0]);
    if (parts.size() > 1) {
        fuzz::writeFile(main + "FRWb_condump_list.ini", parts[1]);
        const auto names = core::splitLines(parts[1]);
        for (std::size_t i = 2; i < parts.size() && i - 2 < names.size(); ++i) {
            const std::string& name = names[i - 2];
            if (core::isPlainName(name) && name.size() < 200 && name != "config_mp.bak" &&
                name != "config_mp.cfg" && name != "FRWb_backup_pending.ini")
                fuzz::writeFile(main + name, parts[i]);
        }
    }

    fuzz::AnsweringDialogs first({}), second({});
    const auto report = results::compileReport(main, first);
    const auto again = results::compileReport(main, second);
    fuzz::check(report.name == again.name && report.text == again.text,
                "compiling the same files twice gives the same report");
    for (std::size_t cr = report.text.find('\r'); cr != std::string::npos;
         cr = report.text.find('\r', cr + 1))
        fuzz::check(cr + 1 < report.text.size() && report.text[cr + 1] == '\n',
                    "every line of the report ends with CR LF");
    if (!report.name.empty())
        fuzz::check(report.name.rfind("FRWb_", 0) == 0 && core::isPlainName(report.name),
                    "the report is one of the tool's plain file names", fuzz::shown(report.name));

    fuzz::AnsweringDialogs third({});
    const auto outcome = results::makeResults(folders, third);
    fuzz::check(third.shown > 0, "Generate Results always closes with a message");
    fuzz::check(fileText(main + "config_mp.cfg") == kConfig,
                "the game configuration is restored from the backup");
    fuzz::check(fileText(main + "config_mp.bak") == kConfig, "the backup is kept");
    if (outcome.archived) {
        const std::string archived = folders.appFolder + "User Results/" + report.name;
        fuzz::check(outcome.resultsloc == archived, "the archived report is the one shown");
        fuzz::check(fileText(archived) == report.text, "the archived report is the compiled one");
    } else {
        fuzz::check(report.name.empty(), "a compiled report is archived", fuzz::shown(report.name));
    }
    // A run whose report was written anywhere is cleaned up; one without a
    // report keeps its record and dumps for another try.
    if (outcome.archived)
        for (const auto& e : fs::directory_iterator(main)) {
            const std::string name = e.path().filename().string();
            fuzz::check(name.rfind("FRWb_", 0) != 0 || !e.is_regular_file(),
                        "the tool's files are removed after the report", fuzz::shown(name));
        }
    // Beside the program: the results folder, and in it the report with the
    // record of the system that measured it.
    std::size_t appEntries = 0;
    for (const auto& e : fs::recursive_directory_iterator(folders.appFolder)) {
        const std::string path = e.path().string();
        const std::string report = outcome.resultsloc.value_or("");
        fuzz::check(e.is_directory() || (!report.empty() && (path == report ||
                                         path == results::systemRecordPath(report))),
                    "nothing but the report and its system record is written beside the program",
                    fuzz::shown(path));
        ++appEntries;
    }
    fuzz::check(appEntries == 1 + (outcome.archived ? 2 : 0),
                "the archived report and its system record are beside the program");
    return 0;
}
