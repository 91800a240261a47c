#include "results/restore.h"

#include "bench/config_backup.h"
#include "bench/levels.h"
#include "platform/files.h"

namespace results {

std::vector<std::string> removeToolFiles(const std::string& mainFolder) {
    return platform::removeFilesStartingWith(mainFolder, bench::kToolFilePrefix,
                                             bench::kBackupPendingFile);
}

std::string keptReportName(const std::string& reportName) {
    return "Framewise_" + reportName;
}

} // namespace results
