#pragma once
// The user's choices for one benchmark, read off the window by the app and
// handed to the RUN flow. Field names are the names of the window's controls.
#include <array>
#include <string>
#include <vector>

namespace bench {

// Detail levels, always in this order.
enum Level { Normal = 0, High = 1, Maximum = 2, Custom = 3 };
inline constexpr int kLevelCount = 4;
inline constexpr int kResolutionCount = 12;

struct RunChoices {
    // Check_lo, Check_hi, Check_max, Check_custom
    std::array<bool, kLevelCount> levels{true, true, true, false};
    // Check0 .. Check11; the index is the game's mode number.
    std::array<bool, kResolutionCount> resolutions{false, false, false, true, true,  false,
                                                   true,  false, true,  true, false, false};
    int runs = 3;                         // run1, run2, run3
    bool threePerDump = true;             // ThreeDump selected (else Option1)
    bool loop = false;                    // dloop
    std::vector<std::string> demoEntries; // DemoList items, whole names such as "bench1.dm_2"
    int selectedDemo = -1;                // index into demoEntries, -1 when none is selected
};

// The settings of the Custom Config tab that make up the Custom level. An option
// button is true when selected; a frame may have none selected.
struct CustomSettings {
    std::array<bool, 4> chr_text{true, false, false, false}; // Extra, High, Normal, Lowest
    std::array<bool, 4> gen_text{true, false, false, false}; // Extra, High, Normal, Lowest
    bool opt_trilinear = false, opt_bilinear = true;
    bool opt_texture_16 = false, opt_texture_32 = false;
    bool check_wall = true, check_brass = true, opt_blood = true;
    bool opt_dl_no = false, opt_dl_mo = false, opt_dl_ev = true;
    bool opt_wdl_f = false, opt_wdl_n = true;
    bool op_md_min = false, op_md_lo = false, op_md_nr = false, op_md_max = true;

    bool operator==(const CustomSettings&) const = default;
};

} // namespace bench
