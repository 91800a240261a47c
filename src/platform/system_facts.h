#pragma once
// The computer a benchmark ran on, as far as the system tells it without
// special rights. Anything it does not tell stays empty or 0.
#include <cstdint>
#include <string>

namespace platform {

struct SystemFacts {
    std::string osName;    // "Debian GNU/Linux 12 (bookworm)", "Windows"
    std::string osVersion; // kernel release, or Windows' major.minor.build
    std::string cpu;       // the processor's model name
    unsigned logicalCores = 0;
    std::uint64_t memoryBytes = 0;
    int displayWidth = 0, displayHeight = 0; // the primary screen, 0 without one
};

SystemFacts systemFacts();

} // namespace platform
