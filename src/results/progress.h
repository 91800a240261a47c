#pragma once
// How far a running benchmark has got: the dumps of its dump list that the game
// has written so far.
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
std::optional<DumpProgress> dumpProgress(const std::string& mainFolder);

} // namespace results
