#include "results/make_results.h"

#include "bench/config_backup.h"
#include "bench/run_record.h"
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

// Both copies are new files: a link planted under the coming name is an error
// and is never written through.
bool writeReport(const std::string& path, const std::string& text, std::string& why) {
    core::LineWriter w;
    if (w.open(core::fsPath(path), core::Creation::Fresh)) {
        w.write(text);
        if (w.close()) return true;
    }
    why = w.why();
    return false;
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
        text = std::string(bench::kAlreadyYours) + ".";
        break;
    case bench::RestoreState::Failed:
        // Everything the next try needs stays: the backup, its mark, the run.
        return std::string(kNotRestored) + ": " + restore.why + ". " + game.configFile +
               " was left as it is. " + bench::whereYourConfigIs(mainFolder, game) + kParagraph +
               kNothingRemoved +
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
        // A RUN stopped after its clean-up leaves no run, but may leave the backup.
        if (!bench::backupPending(mainFolder)) {
            core::tell(dialogs, kNoResults);
            return {};
        }
        const auto restore = bench::giveConfigBack(mainFolder, game);
        std::string text = std::string(kNoResults) + kParagraph;
        if (restore.restored())
            text += kRestored;
        else
            text += std::string(kNotRestored) + ": " + restore.why + ". " + game.configFile +
                    " was left as it is. " + bench::whereYourConfigIs(mainFolder, game);
        core::tell(dialogs, text);
        return {};
    }

    ResultsOutcome out;
    bool reportSaved = false; // in the results folder, or kept in the main folder
    try {
        CompiledReport report = compileReport(mainFolder, dialogs, game);
        if (!report.name.empty()) {
            const std::string mainCopy = mainFolder + report.name;
            std::string whyMain, whyArchived, whyKept;
            writeReport(mainCopy, report.text, whyMain);
            const std::string folder = resultsFolder(folders.resultsHome());
            std::error_code ec;
            std::filesystem::create_directories(core::fsPath(folder), ec);
            const std::string archived = folder + report.name;
            out.archived = writeReport(archived, report.text, whyArchived);
            if (out.archived) {
                out.resultsloc = archived;
                reportSaved = true;
                // What measured it, beside it. The report stands without it, as an
                // older one does, so a record that cannot be written is left out.
                std::string whyNot;
                writeSystemRecord(systemRecordPath(archived),
                                  gatherSystemRecord(mainFolder, game, report.name), whyNot);
            } else {
                std::string text = kReportNotArchived + report.name +
                                   " could not be saved in the results folder " + folder + " (" +
                                   whyArchived + ").";
                const std::string kept = mainFolder + keptReportName(report.name);
                if (writeReport(kept, report.text, whyKept)) {
                    reportSaved = true;
                    out.resultsloc = kept;
                    text += std::string(kParagraph) + "It was kept in the game's main folder as " +
                            kept + ".";
                } else {
                    text += std::string(kParagraph) +
                            "It could not be written anywhere (" + whyKept +
                            "); its text is shown below the results list.";
                }
                core::tell(dialogs, text);
            }
            out.comboItems = archiveItems(folders.resultsHome());
            out.resultsText = previewText(report.text);
        }
    } catch (const std::exception& e) {
        core::tell(dialogs, std::string(kNotCompiled) + " (" + e.what() + ")." + kParagraph +
                                "No report was written.");
    }

    if (show) show(out);

    try {
        const auto restore = bench::giveConfigBack(mainFolder, game);
        std::vector<std::string> notRemoved;
        // Without a saved report the run's dumps are its only results.
        if (reportSaved && restore.state != bench::RestoreState::Failed)
            notRemoved = removeToolFiles(mainFolder);
        core::tell(dialogs, closingMessage(restore, notRemoved, reportSaved, mainFolder, game));
    } catch (const std::exception& e) {
        core::tell(dialogs, std::string(kNothingRestored) + " (" + e.what() + ")." + kParagraph +
                                bench::whereYourConfigIs(mainFolder, game));
    }
    return out;
}

} // namespace results
