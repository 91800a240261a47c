#pragma once
// Starting a detached process on POSIX systems (used by this folder only).
#include "platform/launcher.h"

#include <string>
#include <vector>

namespace platform {

// Starts argv[0] (searched on PATH when it has no slash) in workingFolder (or the
// current folder when empty), in its own session, without waiting for it. The
// result says whether the program really started.
LaunchResult spawnDetached(const std::vector<std::string>& argv, const std::string& workingFolder);

// Starts argv[0] as spawnDetached does, but as our own child, so that its end
// can be seen; pid is set when it started.
LaunchResult spawnChild(const std::vector<std::string>& argv, const std::string& workingFolder,
                        int& pid);

bool programOnPath(const std::string& name);

} // namespace platform
