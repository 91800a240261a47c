#pragma once
// How far a running benchmark has got: the dumps of its dump list that the game
// has written so far.
#include "core/game_profile.h"

#include <cstddef>
#include <optional>
#include <string>

namespace results {

struct DumpProgress {
    std::size_t written = 0;
    std::size_t total = 0;
    bool operator==(const DumpProgress&) const = default;
};

// Nothing when mainFolder holds no readable dump list.
std::optional<DumpProgress> dumpProgress(const std::string& mainFolder,
                                         const core::GameProfile& game = core::codProfile());

} // namespace results
