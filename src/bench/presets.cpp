#include "bench/presets.h"

namespace bench {

namespace {
// Selects one option of a frame and clears the others.
template <std::size_t N> std::array<bool, N> only(std::size_t index) {
    std::array<bool, N> a{};
    a[index] = true;
    return a;
}
} // namespace

CustomSettings preset(Preset which) {
    CustomSettings s;
    // Indices: textures Extra 0, High 1, Normal 2, Lowest 3; lights None, Models Only,
    // Everything; model detail Minimum, Low, Normal, Maximum; quality Fastest, Nicest.
    std::size_t texture = 0, light = 2, model = 3, quality = 1;
    bool filterBilinear = false, texture16 = false, effects = true;
    switch (which) {
    case Preset::Max:
        break;
    case Preset::Hi:
        texture = 2, light = 1, model = 2, quality = 0;
        break;
    case Preset::Low:
        texture = 3, light = 0, model = 0, quality = 0;
        filterBilinear = texture16 = true, effects = false;
        break;
    case Preset::Optimized:
        texture = 1, light = 2, model = 2, quality = 1;
        filterBilinear = texture16 = true;
        break;
    }
    s.chr_text = only<4>(texture);
    s.gen_text = only<4>(texture);
    s.opt_bilinear = filterBilinear;
    s.opt_trilinear = !filterBilinear;
    s.opt_texture_16 = texture16;
    s.opt_texture_32 = !texture16;
    s.check_wall = s.check_brass = s.opt_blood = effects;
    auto lights = only<3>(light);
    s.opt_dl_no = lights[0], s.opt_dl_mo = lights[1], s.opt_dl_ev = lights[2];
    auto models = only<4>(model);
    s.op_md_min = models[0], s.op_md_lo = models[1], s.op_md_nr = models[2],
    s.op_md_max = models[3];
    auto qualities = only<2>(quality);
    s.opt_wdl_f = qualities[0], s.opt_wdl_n = qualities[1];
    return s;
}

} // namespace bench
