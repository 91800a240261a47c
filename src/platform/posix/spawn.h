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

bool programOnPath(const std::string& name);

} // namespace platform
