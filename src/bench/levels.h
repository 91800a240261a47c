#pragma once
// What each detail level is called in file names, dump names and the run record.
#include "bench/choices.h"

#include <string>

namespace bench {

// Every file the tool owns in the main folder starts with this (exact case).
inline constexpr const char* kToolFilePrefix = "FRWb_";

struct LevelNames {
    const char* code;       // "lo": FRWb_lo.cfg, FRWb_cont_lo.cfg
    const char* dumpSuffix; // ".lo"
    const char* recordName; // "Normal"
};

const LevelNames& levelNames(Level level);

std::string levelFileName(Level level);        // "FRWb_lo.cfg"
std::string continuationFileName(Level level); // "FRWb_cont_lo.cfg"

// The run record's text for a resolution, by mode number 0..11 ("320x240" .. "856x480").
const char* resolutionText(int mode);

// The chosen levels and modes, in their fixed order.
std::vector<Level> chosenLevels(const RunChoices& choices);
std::vector<int> chosenModes(const RunChoices& choices);

// run1..run3 as 1..3; anything else is held to that range.
int runCount(const RunChoices& choices);

// The selected demo entry without its extension (the part from its last "."), so
// "bench1.old.dm_2" gives "bench1.old"; empty when none is selected.
std::string demoName(const RunChoices& choices);

// True for a name that itself ends in a demo extension ("x.dm_2" of "x.dm_2.dm_2"):
// the game takes such a name for a file name of its own and plays another demo.
bool demoNameReadAsAFile(const std::string& name);

// False for a name the scripts cannot carry: empty, or holding a blank, a double
// quote, a semicolon or a control character (the game would read the rest as commands).
bool demoNameIsSafe(const std::string& name);

} // namespace bench
