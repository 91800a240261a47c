#include "results/archive_list.h"

#include "core/folders.h"
#include "core/textfile.h"
#include "platform/files.h"
#include "results/system_record.h"

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

std::string previewText(const std::string& report) {
    std::string text;
    for (const auto& line : core::splitLines(report)) text += "\r\n" + line;
    return text;
}

} // namespace results
