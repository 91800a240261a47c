#include "bench/run_files.h"

#include "bench/level_files.h"
#include "bench/levels.h"
#include "bench/run_record.h"
#include "bench/script_chain.h"
#include "core/folders.h"
#include "core/textfile.h"

namespace bench {

ScriptFiles writeScriptFiles(const std::string& mainFolder, const RunChoices& choices,
                             const CustomSettings& custom, const core::GameProfile& game) {
    ScriptFiles result;
    const auto levels = chosenLevels(choices);
    for (Level level : levels) {
        const std::string file = mainFolder + levelFileName(level);
        if (!core::writeLines(core::fsPath(file), levelFileLines(level, custom, game))) {
            result.failedFile = file;
            return result;
        }
    }

    // The dump list is filled while the continuation scripts are written.
    const std::string listFile = mainFolder + kDumpListFile;
    core::LineWriter list;
    if (!list.open(core::fsPath(listFile))) {
        result.failedFile = listFile;
        return result;
    }
    for (Level level : levels) {
        const std::string file = mainFolder + continuationFileName(level);
        ContinuationScript script = continuationScript(level, choices, game.dumpExtension);
        if (!core::writeLines(core::fsPath(file), script.lines)) {
            result.failedFile = file;
            list.close();
            return result;
        }
        for (auto& name : script.dumpFiles) {
            list.line(name);
            result.dumpFiles.push_back(std::move(name));
        }
    }
    if (!list.close()) {
        result.failedFile = listFile;
        return result;
    }

    const std::string master = mainFolder + kMasterScriptFile;
    if (!core::writeLines(core::fsPath(master), masterScriptLines(choices)))
        result.failedFile = master;
    return result;
}

std::vector<std::string> writeRunScripts(const std::string& mainFolder, const RunChoices& choices,
                                         const CustomSettings& custom,
                                         const core::GameProfile& game) {
    return writeScriptFiles(mainFolder, choices, custom, game).dumpFiles;
}

} // namespace bench
