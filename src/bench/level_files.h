#pragma once
// The game configuration script of each detail level: FRWb_lo.cfg, FRWb_hi.cfg,
// FRWb_max.cfg and FRWb_custom.cfg (built from the Custom Config tab).
#include "bench/choices.h"
#include "core/game_profile.h"

#include <string>
#include <vector>

namespace bench {

// The lines of the level's file for the game; custom is read only for the Custom level.
std::vector<std::string> levelFileLines(Level level, const CustomSettings& custom,
                                        const core::GameProfile& game = core::codProfile());

} // namespace bench
