#include "bench/bench.h"
#include "bench_test_support.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

namespace {

using bench::CustomSettings;
using bench::Preset;

// One column of the preset table, spelled out control by control.
struct Column {
    Preset which;
    const char* name;
    int texture; // 0 Extra, 1 High, 2 Normal, 3 Lowest (character and general alike)
    bool trilinear, texture32, wall, brass, blood;
    bool dl_ev, dl_mo, dl_no;
    bool md_max, md_nr, md_lo, md_min;
    bool wdl_n, wdl_f;
    const char* customFixture;
};

const Column kColumns[] = {
    {Preset::Max, "Max", 0, true, true, true, true, true, true, false, false, true, false, false,
     false, true, false, "custom_max.cfg"},
    {Preset::Hi, "Hi", 2, true, true, true, true, true, false, true, false, false, true, false,
     false, false, true, "custom_hi.cfg"},
    {Preset::Low, "Low", 3, false, false, false, false, false, false, false, true, false, false,
     false, true, false, true, "custom_low.cfg"},
    {Preset::Optimized, "Optimized", 1, false, false, true, true, true, true, false, false, false,
     true, false, false, true, false, "custom_optimized.cfg"},
};

TEST(Presets, EachButtonSetsTheTenSettingsOfItsColumn) {
    for (const auto& c : kColumns) {
        CustomSettings s = bench::preset(c.which);
        std::array<bool, 4> textures{};
        textures[static_cast<std::size_t>(c.texture)] = true;
        EXPECT_EQ(textures, s.chr_text) << c.name;
        EXPECT_EQ(textures, s.gen_text) << c.name;
        EXPECT_EQ(c.trilinear, s.opt_trilinear) << c.name;
        EXPECT_EQ(!c.trilinear, s.opt_bilinear) << c.name;
        EXPECT_EQ(c.texture32, s.opt_texture_32) << c.name;
        EXPECT_EQ(!c.texture32, s.opt_texture_16) << c.name;
        EXPECT_EQ(c.wall, s.check_wall) << c.name;
        EXPECT_EQ(c.brass, s.check_brass) << c.name;
        EXPECT_EQ(c.blood, s.opt_blood) << c.name;
        EXPECT_EQ(c.dl_ev, s.opt_dl_ev) << c.name;
        EXPECT_EQ(c.dl_mo, s.opt_dl_mo) << c.name;
        EXPECT_EQ(c.dl_no, s.opt_dl_no) << c.name;
        EXPECT_EQ(c.md_max, s.op_md_max) << c.name;
        EXPECT_EQ(c.md_nr, s.op_md_nr) << c.name;
        EXPECT_EQ(c.md_lo, s.op_md_lo) << c.name;
        EXPECT_EQ(c.md_min, s.op_md_min) << c.name;
        EXPECT_EQ(c.wdl_n, s.opt_wdl_n) << c.name;
        EXPECT_EQ(c.wdl_f, s.opt_wdl_f) << c.name;
    }
}

TEST(Presets, PresetThenRunWithOnlyCustomWritesThatColumnsCustomFile) {
    for (const auto& c : kColumns) {
        bench::RunChoices choices;
        choices.levels = {false, false, false, true};
        choices.demoEntries = {"bench1.dm_2"};
        choices.selectedDemo = 0;
        testing_support::TempDir dir;
        bench::writeRunScripts(dir.folder(), choices, bench::preset(c.which));
        EXPECT_EQ(testing_support::readFile(
                      bench_test::dataPath(std::string("levels/") + c.customFixture)),
                  testing_support::readFile(dir.path() / "FRWb_custom.cfg"))
            << c.name;
        EXPECT_FALSE(std::filesystem::exists(dir.path() / "FRWb_lo.cfg")) << c.name;
    }
}

} // namespace
