#include "results/restore.h"

#include "bench/config_backup.h"
#include "bench/levels.h"
#include "bench/run_record.h"
#include "core/folders.h"
#include "platform/files.h"
#include "platform/ordinary_file.h"

#include <filesystem>
#include <system_error>

namespace results {

std::vector<std::string> removeToolFiles(const std::string& mainFolder) {
    if (platform::exactNamePresent(mainFolder, bench::kRunRecordFile)) {
        std::error_code ec;
        std::filesystem::remove(core::fsPath(mainFolder + bench::kRunRecordFile), ec);
        if (ec) return {bench::kRunRecordFile};
        platform::syncFolder(core::fsPath(mainFolder));
    }
    return platform::removeFilesStartingWith(mainFolder, bench::kToolFilePrefix);
}

std::string keptReportName(const std::string& reportName) {
    return bench::kKeptReportPrefix + reportName;
}

} // namespace results
