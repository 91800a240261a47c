#include "results/make_results.h"

#include "results/messages.h"
#include "archive/archive_list.h"
#include "archive/browser.h"
#include "bench/run_record.h"
#include "core/textfile.h"
#include "platform/files.h"
#include "results/report.h"
#include "results/restore.h"

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

std::string closingMessage(const std::string& restoreFailure,
                           const std::vector<std::string>& notRemoved,
                           const std::string& keptReport) {
    std::string text;
    if (restoreFailure.empty())
        text = kRestored;
    else
        text = std::string(kNotRestored) + ": " + restoreFailure +
               ". config_mp.cfg and config_mp.bak were left as they are.";
    text += kParagraph;
    if (notRemoved.empty() && keptReport.empty()) return text + kRemoved;
    if (!notRemoved.empty()) {
        text += kNotRemoved;
        for (std::size_t i = 0; i < notRemoved.size(); ++i)
            text += (i == 0 ? " " : ", ") + notRemoved[i];
        text += ".";
        if (!keptReport.empty()) text += " The report " + keptReport + " was kept there.";
        return text;
    }
    return text + kRemovedButReport + keptReport +
           " have been removed from your CallOfDuty Directory.";
}

ResultsOutcome makeResults(const core::GameFolders& folders, core::Dialogs& dialogs,
                           const std::function<void(const ResultsOutcome&)>& show) {
    const std::string& mainFolder = folders.mainFolder;
    if (!platform::exactNamePresent(mainFolder, bench::kRunRecordFile)) {
        core::tell(dialogs, kNoResults);
        return {};
    }

    ResultsOutcome out;
    std::string keptReport; // the main-folder copy, when it is the only one
    try {
        CompiledReport report = compileReport(mainFolder, dialogs);
        if (!report.name.empty()) {
            const std::string mainCopy = mainFolder + report.name;
            std::string whyMain, whyArchived;
            const bool inMain = writeReport(mainCopy, report.text, whyMain);
            const std::string folder = archive::resultsFolder(folders.appFolder);
            std::error_code ec;
            std::filesystem::create_directories(core::fsPath(folder), ec);
            const std::string archived = folder + report.name;
            out.archived = writeReport(archived, report.text, whyArchived);
            if (out.archived) {
                out.resultsloc = archived;
            } else {
                std::string text = kReportNotArchived + report.name +
                                   " could not be saved in the results folder " + folder + " (" +
                                   whyArchived + ").";
                if (inMain) {
                    keptReport = report.name;
                    out.resultsloc = mainCopy;
                    text += std::string(kParagraph) + "It was kept in the game's main folder as " +
                            mainCopy + ".";
                } else {
                    text += std::string(kParagraph) +
                            "It could not be written anywhere (" + whyMain +
                            "); its text is shown below the results list.";
                }
                core::tell(dialogs, text);
            }
            out.comboItems = archive::archiveItems(folders.appFolder);
            out.resultsText = archive::previewText(report.text);
        }
    } catch (const std::exception& e) {
        core::tell(dialogs, std::string(kNotCompiled) + " (" + e.what() +
                                ")." + kParagraph +
                                "The benchmark's files are restored and removed next.");
    }

    if (show) show(out);

    try {
        const RestoreResult restore = restoreConfiguration(mainFolder);
        const auto notRemoved = removeToolFiles(mainFolder, keptReport);
        core::tell(dialogs, closingMessage(restore.why, notRemoved, keptReport));
    } catch (const std::exception& e) {
        core::tell(dialogs, std::string(kNothingRestored) +
                                " and the benchmark's files could not be removed (" +
                                e.what() + ").");
    }
    return out;
}

} // namespace results
