#include "results/progress.h"

#include "bench/run_record.h"
#include "core/folders.h"
#include "core/textfile.h"
#include "results/dumps.h"

namespace results {

std::optional<DumpProgress> dumpProgress(const std::string& mainFolder,
                                         const core::GameProfile& game) {
    auto names = core::readLines(core::fsPath(mainFolder + bench::kDumpListFile));
    if (!names) return std::nullopt;
    // One listing of the folder per look, however many dumps the list names.
    const DumpFolder folder(mainFolder, game);
    DumpProgress p;
    for (const auto& name : *names) {
        if (name.empty()) continue;
        ++p.total;
        if (folder.present(name)) ++p.written;
    }
    return p;
}

} // namespace results
