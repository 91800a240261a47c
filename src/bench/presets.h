#pragma once
// The four preset buttons of the Custom Config tab.
#include "bench/choices.h"

namespace bench {

// Load_low, Load_Hi, Load_Max, Load_Optimized
enum class Preset { Low, Hi, Max, Optimized };

// The ten settings of the preset's column. CustomSettings holds exactly those ten,
// so the whole value is the preset; the window applies it to its controls.
CustomSettings preset(Preset which);

} // namespace bench
