#include "results/archive_list.h"

#include "bench/run_record.h"
#include "core/folders.h"
#include "core/textfile.h"
#include "platform/files.h"
#include "results/system_record.h"

#include <optional>
#include <utility>

namespace results {

std::string resultsFolder(const std::string& appFolder) {
    return appFolder + core::kResultsFolderName + platform::folderSeparator();
}

std::vector<std::string> archivedReports(const std::string& appFolder) {
    const std::string folder = resultsFolder(appFolder);
    std::vector<std::string> reports;
    auto names = platform::listFiles(folder);
    for (auto it = names.rbegin(); it != names.rend(); ++it)
        // A report's system record is part of the report, not one of its own.
        if (!isSystemRecordName(*it)) reports.push_back(folder + *it);
    return reports;
}

std::vector<std::string> archiveItems(const std::string& appFolder) {
    std::vector<std::string> items{kPlaceholder};
    for (auto& report : archivedReports(appFolder)) items.push_back(std::move(report));
    return items;
}

namespace {

// "yymmddhhmmss" and the number of a report's name, to order reports by their
// start; nothing for a name that is not the tool's.
std::optional<std::pair<std::string, int>> startKey(const std::string& path) {
    const auto slash = path.find_last_of("/\\");
    const auto parts = bench::readReportName(slash == std::string::npos ? path
                                                                         : path.substr(slash + 1));
    if (!parts) return std::nullopt;
    // mmddyy to yymmdd, so that the text orders as the moments do.
    return std::make_pair(parts->date.substr(4, 2) + parts->date.substr(0, 4) + parts->time,
                          parts->number);
}

} // namespace

std::string newestReport(const std::vector<std::string>& reports) {
    std::string newest;
    std::optional<std::pair<std::string, int>> newestKey;
    for (const auto& report : reports) {
        const auto key = startKey(report);
        if (key && (!newestKey || *key > *newestKey)) {
            newestKey = key;
            newest = report;
        }
    }
    return newest;
}

std::string previewText(const std::string& report) {
    std::string text;
    for (const auto& line : core::splitLines(report)) text += "\r\n" + line;
    return text;
}

} // namespace results
