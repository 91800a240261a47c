#include "results/make_results.h"

#include "bench/config_backup.h"
#include "bench/run_record.h"
#include "core/folders.h"
#include "core/textfile.h"
#include "platform/files.h"
#include "results/archive_list.h"
#include "results/messages.h"
#include "results/report.h"
#include "results/restore.h"
#include "results/system_record.h"

#include <exception>
#include <filesystem>
#include <system_error>

namespace results {

namespace {

constexpr const char* kParagraph = "\r\n\r\n";
constexpr const char* kFileLabel = "      FILE:  ";

// The main folder's working copy is a new file: a link planted under the coming
// name is an error and is never written through.
bool writeWorkingCopy(const std::string& path, const std::string& text) {
    core::LineWriter w;
    if (!w.open(core::fsPath(path), core::Creation::Fresh)) return false;
    w.write(text);
    return w.close();
}

// The report as it reads under its n-th name: its FILE line names the file.
std::string renamedReport(const std::string& text, const std::string& name,
                          const std::string& numbered) {
    if (numbered == name) return text;
    const std::string line = kFileLabel + name + "\r\n";
    std::string out = text;
    if (auto at = out.find(line); at != std::string::npos)
        out.replace(at, line.size(), kFileLabel + numbered + "\r\n");
    return out;
}

struct Saved {
    std::string path; // where the report is now; empty when it could not be saved
    std::string why;
};

// Puts the report into folder under prefix + its name, or under the next
// numbered name when another report has it: no report is ever replaced. A run
// compiled again after an interruption finds its own report there and adds none.
Saved saveReport(const std::string& folder, const std::string& prefix, const std::string& name,
                 const std::string& text) {
    namespace fs = std::filesystem;
    for (int n = 1;; ++n) {
        const std::string numbered = bench::numberedReportName(name, n);
        const std::string body = renamedReport(text, name, numbered);
        const std::string path = folder + prefix + numbered;
        std::error_code ec;
        const auto there = fs::symlink_status(core::fsPath(path), ec);
        if (fs::is_symlink(there)) return {{}, "a link stands under that name"};
        if (fs::exists(there)) {
            if (!fs::is_regular_file(there)) return {{}, "something else stands under that name"};
            if (core::readAll(core::fsPath(path)) == body) return {path, {}};
            continue;
        }
        std::string why;
        switch (core::writeNewFile(core::fsPath(path), body, &why)) {
        case core::Placed::Written:
            return {path, {}};
        case core::Placed::Taken:
            continue;
        case core::Placed::Failed:
            return {{}, why};
        }
    }
}

// Collects what a flow tells, to be told later in one message.
class CollectingDialogs : public core::Dialogs {
  public:
    explicit CollectingDialogs(core::Dialogs& outer) : outer_(outer) {}
    core::Answer message(const core::Message& m) override {
        if (m.buttons != core::Buttons::Ok) return outer_.message(m);
        told.push_back(m.text);
        return core::Answer::Ok;
    }
    std::string inputBox(const std::string& p, const std::string& t,
                         const std::string& d) override {
        return outer_.inputBox(p, t, d);
    }
    std::string openFile(core::FileDialog w, const std::string& f) override {
        return outer_.openFile(w, f);
    }
    std::string joined() const {
        std::string text;
        for (const auto& t : told)
            text += kParagraph + t;
        return text;
    }
    std::vector<std::string> told;

  private:
    core::Dialogs& outer_;
};

std::string notRestoredText(const bench::RestoreResult& restore, const std::string& mainFolder,
                            const core::GameProfile& game) {
    return std::string(kNotRestored) + ": " + restore.why + ". " + game.configFile +
           " was left as it is. " + bench::whereYourConfigIs(mainFolder, game);
}

// The report saved in the results folder, or else kept in the main folder.
struct Archiving {
    Saved saved;
    bool archived = false;
    std::string trouble; // told when the results folder could not take it
};

Archiving archive(const core::GameFolders& folders, const CompiledReport& report) {
    Archiving out;
    const std::string folder = resultsFolder(folders.resultsHome());
    std::error_code ec;
    std::filesystem::create_directories(core::fsPath(folder), ec);
    out.saved = saveReport(folder, "", report.name, report.text);
    if (!out.saved.path.empty()) {
        out.archived = true;
        return out;
    }
    out.trouble = kReportNotArchived + report.name + " could not be saved in the results folder " +
                  folder + " (" + out.saved.why + ").";
    out.saved = saveReport(folders.mainFolder, bench::kKeptReportPrefix, report.name, report.text);
    if (!out.saved.path.empty())
        out.trouble += std::string(kParagraph) + "It was kept in the game's main folder as " +
                       out.saved.path + ".";
    else
        out.trouble += std::string(kParagraph) + "It could not be written anywhere (" +
                       out.saved.why + "); its text is shown below the results list.";
    return out;
}

// After a restore, the record must go; a record that stays is marked as given
// back, so no later press copies config_mp.bak over the player's changes.
std::vector<std::string> cleanUp(const std::string& mainFolder,
                                 const bench::RestoreResult& restore) {
    auto notRemoved = removeToolFiles(mainFolder);
    if (restore.state != bench::RestoreState::NotNeeded &&
        platform::exactNamePresent(mainFolder, bench::kRunRecordFile))
        bench::markGivenBack(mainFolder, restore.state == bench::RestoreState::Missing);
    return notRemoved;
}

} // namespace

std::string closingMessage(const bench::RestoreResult& restore,
                           const std::vector<std::string>& notRemoved, bool runRemoved,
                           const std::string& mainFolder, const core::GameProfile& game) {
    std::string text;
    switch (restore.state) {
    case bench::RestoreState::Restored:
        text = kRestored;
        if (!restore.why.empty()) text += std::string(kParagraph) + "But " + restore.why + ".";
        break;
    case bench::RestoreState::NotNeeded:
        text = std::string(restore.ownKnown ? bench::kAlreadyYours : bench::kLeftAsItIs) + ".";
        break;
    case bench::RestoreState::Missing:
        text = kBackupMissing;
        if (!restore.why.empty()) text += std::string(kParagraph) + "But " + restore.why + ".";
        break;
    case bench::RestoreState::Failed:
        // Everything the next try needs stays: the backup, the run.
        return notRestoredText(restore, mainFolder, game) + kParagraph + kNothingRemoved +
               ", so Generate Results can restore your config once the fault is mended.";
    }
    text += kParagraph;
    if (!runRemoved) return text + kRunKept;
    if (notRemoved.empty()) return text + kRemoved;
    text += kNotRemoved;
    for (std::size_t i = 0; i < notRemoved.size(); ++i)
        text += (i == 0 ? " " : ", ") + notRemoved[i];
    return text + ".";
}

ResultsOutcome makeResults(const core::GameFolders& folders, core::Dialogs& dialogs,
                           const std::function<void(const ResultsOutcome&)>& show) {
    const std::string& mainFolder = folders.mainFolder;
    const core::GameProfile& game = folders.profile();
    const bool haveRecord = platform::exactNamePresent(mainFolder, bench::kRunRecordFile);
    // Whatever is done now, the game would undo when it quits.
    if ((haveRecord || bench::backupPending(mainFolder)) && bench::gameRunning(folders)) {
        core::tell(dialogs, bench::gameRunningMessage(mainFolder, "Generate Results", game));
        return {};
    }
    if (!haveRecord) {
        // An earlier version's RUN stopped after its clean-up left no run, but may
        // have left the backup pending.
        if (!bench::backupPending(mainFolder)) {
            core::tell(dialogs, kNoResults);
            return {};
        }
        const auto restore = bench::giveConfigBack(mainFolder, false, game);
        std::string text = std::string(kNoResults) + kParagraph;
        if (restore.restored())
            text += kRestored;
        else if (restore.state == bench::RestoreState::Missing)
            text += kBackupMissing;
        else
            text += notRestoredText(restore, mainFolder, game);
        core::tell(dialogs, text);
        return {};
    }

    try {
        if (bench::runNeverStarted(mainFolder)) {
            // Nothing was measured and config_mp.cfg was never the game's.
            const auto notRemoved = removeToolFiles(mainFolder);
            core::tell(dialogs, std::string(kNeverStarted) + kParagraph +
                                    closingMessage({}, notRemoved, true, mainFolder, game));
            return {};
        }
    } catch (const std::exception& e) {
        core::tell(dialogs, std::string(kNotCompiled) + " (" + e.what() + ").");
        return {};
    }

    ResultsOutcome out;
    bool reportSaved = false; // in the results folder, or kept in the main folder
    try {
        CompiledReport report = compileReport(mainFolder, dialogs, game);
        if (!report.name.empty()) {
            writeWorkingCopy(mainFolder + report.name, report.text);
            const Archiving saved = archive(folders, report);
            out.archived = saved.archived;
            reportSaved = !saved.saved.path.empty();
            if (reportSaved) out.resultsloc = saved.saved.path;
            if (saved.archived) {
                // What measured it, beside it. The report stands without it, as an
                // older one does, so a record that cannot be written is left out.
                std::string whyNot;
                writeSystemRecord(systemRecordPath(saved.saved.path),
                                  gatherSystemRecord(mainFolder, game,
                                                     core::fsPath(saved.saved.path)
                                                         .filename()
                                                         .string()),
                                  whyNot);
            }
            if (!saved.trouble.empty()) core::tell(dialogs, saved.trouble);
            out.comboItems = archiveItems(folders.resultsHome());
            out.resultsText = previewText(report.text);
        }
    } catch (const std::exception& e) {
        core::tell(dialogs, std::string(kNotCompiled) + " (" + e.what() + ")." + kParagraph +
                                "No report was written.");
    }

    if (show) show(out);

    try {
        // Kept for want of a report, the run is marked as given back.
        const auto restore = bench::giveConfigBack(mainFolder, !reportSaved, game);
        std::vector<std::string> notRemoved;
        // Without a saved report the run's dumps are its only results.
        if (reportSaved && restore.state != bench::RestoreState::Failed)
            notRemoved = cleanUp(mainFolder, restore);
        core::tell(dialogs, closingMessage(restore, notRemoved, reportSaved, mainFolder, game));
    } catch (const std::exception& e) {
        core::tell(dialogs, std::string(kNothingRestored) + " (" + e.what() + ")." + kParagraph +
                                bench::whereYourConfigIs(mainFolder, game));
    }
    return out;
}

bool settleEarlierRun(const core::GameFolders& folders, core::Dialogs& dialogs) {
    const std::string& mainFolder = folders.mainFolder;
    const core::GameProfile& game = folders.profile();
    const bool haveRecord = platform::exactNamePresent(mainFolder, bench::kRunRecordFile);
    if (!haveRecord && !bench::backupPending(mainFolder)) return true;
    const std::string unchanged = std::string(kParagraph) + kRunStopped;
    try {
        if (!haveRecord || bench::noDumpWritten(mainFolder)) {
            // Nothing was measured; the player's config is given back if it is away.
            const auto restore = bench::giveConfigBack(mainFolder, false, game);
            if (restore.state == bench::RestoreState::Failed) {
                core::tell(dialogs, notRestoredText(restore, mainFolder, game) + unchanged);
                return false;
            }
            if (restore.state == bench::RestoreState::Missing) core::tell(dialogs, kBackupMissing);
            return true;
        }

        CollectingDialogs compiling(dialogs);
        const CompiledReport report = compileReport(mainFolder, compiling, game);
        if (report.name.empty()) {
            core::tell(dialogs, std::string(kEarlierNotSaved) + compiling.joined() + unchanged);
            return false;
        }
        writeWorkingCopy(mainFolder + report.name, report.text);
        const Archiving saved = archive(folders, report);
        if (saved.saved.path.empty()) {
            core::tell(dialogs, std::string(kEarlierNotSaved) + kParagraph + saved.trouble +
                                    compiling.joined() + unchanged);
            return false;
        }
        const auto restore = bench::giveConfigBack(mainFolder, false, game);
        std::string text = kEarlierSaved + saved.saved.path + "." + compiling.joined();
        if (!saved.trouble.empty()) text += kParagraph + saved.trouble;
        if (restore.state == bench::RestoreState::Failed) {
            core::tell(dialogs,
                       text + kParagraph + notRestoredText(restore, mainFolder, game) + unchanged);
            return false;
        }
        if (restore.state == bench::RestoreState::Missing)
            text += std::string(kParagraph) + kBackupMissing;
        // What cannot be removed here, RUN's own clean-up names.
        cleanUp(mainFolder, restore);
        core::tell(dialogs, text);
        return true;
    } catch (const std::exception& e) {
        core::tell(dialogs, std::string(kNotCompiled) + " (" + e.what() + ")." + unchanged);
        return false;
    }
}

} // namespace results
