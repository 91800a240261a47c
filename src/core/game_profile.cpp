#include "core/game_profile.h"

#include <string_view>

namespace core {

namespace {

using C = CustomControl;

GameProfile makeCod() {
    GameProfile p;
    p.key = "cod";
    p.gameName = "Call of Duty";
    p.program = "CoDMP.exe";
    p.watchedProgram = "CoDMP.exe";
    p.watchedFolder = "";
    p.homePathOption = "";
    p.dataFolder = "MAIN";
    p.installCheck = "pak0.pk3";
    p.homeFolder = "";
    p.configFile = "config_mp.cfg";
    p.configBackup = "config_mp.bak";
    p.demosFolder = "demos";
    p.demoPattern = "*.dm_2";
    p.dumpExtension = "";
    p.modeMarker = "MODE:";
    p.resultLine = "<frames> frames, <time> seconds: <fps> fps";
    // "seta r_lodscale" has always been written without a blank before its quote.
    p.levels = {
        {"seta com_maxfps ", {"1000", "1000", "1000"}},
        {"seta com_introplayed ", {"1", "1", "1"}},
        {"seta mss_volume ", {"0.000000", "0.000000", "0.000000"}},
        {"seta r_picmip2 ", {"3", "2", "0"}},
        {"seta r_picmip ", {"3", "2", "0"}},
        {"seta r_textureMode ",
         {"GL_LINEAR_MIPMAP_NEAREST", "GL_LINEAR_MIPMAP_LINEAR", "GL_LINEAR_MIPMAP_LINEAR"}},
        {"seta r_texturebits ", {"16", "32", "32"}},
        {"seta cg_marks ", {"0", "1", "1"}},
        {"seta cg_brass ", {"0", "1", "1"}},
        {"seta r_dynamiclight ", {"0", "2", "1"}},
        {"seta r_dlightQuality ", {"0", "0", "1"}},
        {"seta r_lodbias ", {"-200", "0", "0"}},
        {"seta r_lodscale", {"4", "1", "0"}},
        {"seta cg_blood ", {"0", "1", "1"}},
        {"seta r_swapDelay ", {"0", "0", "0"}},
        {"seta r_swapInterval ", {"0", "0", "0"}},
    };
    // The ticked wall-marks line has always carried two blanks in the Custom file.
    p.customLevel = {
        {C::Fixed, "seta com_maxfps ", {"1000"}},
        {C::Fixed, "seta com_introplayed ", {"1"}},
        {C::Fixed, "seta mss_volume ", {"0.000000"}},
        {C::Fixed, "seta r_swapDelay ", {"0"}},
        {C::Fixed, "seta r_swapInterval ", {"0"}},
        {C::CharacterTextures, "seta r_picmip2 ", {"0", "1", "2", "3"}},
        {C::GeneralTextures, "seta r_picmip ", {"0", "1", "2", "3"}},
        {C::TextureFilter,
         "seta r_textureMode ",
         {"GL_LINEAR_MIPMAP_NEAREST", "GL_LINEAR_MIPMAP_LINEAR"}},
        {C::TextureBits, "seta r_texturebits ", {"16", "32"}},
        {C::WallMarks, "seta cg_marks ", {"0", "1"}, "seta cg_marks  "},
        {C::EjectingBrass, "seta cg_brass ", {"0", "1"}},
        {C::DynamicLights, "seta r_dynamiclight ", {"0", "2", "1"}},
        {C::LightQuality, "seta r_dlightQuality ", {"0", "1"}},
        {C::ModelDetail, "seta r_lodbias ", {"-200", "-100", "0", "0"}},
        {C::ModelDetail, "seta r_lodscale", {"4", "2", "1", "0"}},
        {C::DrawBlood, "seta cg_blood ", {"0", "1"}},
    };
    return p;
}

// Debian's openarena: a script in /usr/games that starts ioquake3 on the data
// in /usr/lib/openarena/baseoa and writes in ~/.openarena/baseoa.
GameProfile makeOpenArena() {
    GameProfile p;
    p.key = "openarena";
    p.gameName = "OpenArena";
    p.program = "openarena";
    p.watchedProgram = "ioquake3";
    p.watchedFolder = "/usr/lib/ioquake3/";
    p.homePathOption = "+set fs_homepath ";
    p.dataFolder = "baseoa";
    p.installCheck = "pak0.pk3";
    p.homeFolder = ".openarena";
    p.configFile = "q3config.cfg";
    p.configBackup = "q3config.bak";
    p.demosFolder = "demos";
    p.demoPattern = "*.dm_71";
    // The engine's condump refuses any other name.
    p.dumpExtension = ".txt";
    p.modeMarker = "MODE:";
    p.resultLine = "<frames> frames <time> seconds <fps> fps <min>/<avg>/<max>/<dev> ms";
    // Normal is the game's own "Normal" graphics choice without the frills, High
    // its "High Quality", Maximum everything at its finest.
    p.levels = {
        {"seta com_maxfps ", {"1000", "1000", "1000"}},
        {"seta r_swapInterval ", {"0", "0", "0"}},
        {"seta r_picmip ", {"1", "0", "0"}},
        {"seta r_texturebits ", {"16", "32", "32"}},
        {"seta r_textureMode ",
         {"GL_LINEAR_MIPMAP_NEAREST", "GL_LINEAR_MIPMAP_LINEAR", "GL_LINEAR_MIPMAP_LINEAR"}},
        {"seta r_ext_texture_filter_anisotropic ", {"0", "1", "1"}},
        {"seta r_ext_max_anisotropy ", {"2", "4", "16"}},
        {"seta r_vertexLight ", {"0", "0", "0"}},
        {"seta r_subdivisions ", {"12", "4", "1"}},
        {"seta r_lodCurveError ", {"250", "250", "10000"}},
        {"seta r_lodbias ", {"1", "0", "-2"}},
        {"seta r_detailtextures ", {"0", "1", "1"}},
        {"seta r_fastsky ", {"1", "0", "0"}},
        {"seta r_flares ", {"0", "0", "1"}},
        {"seta r_dynamiclight ", {"0", "1", "1"}},
        {"seta cg_shadows ", {"0", "1", "1"}},
        {"seta cg_marks ", {"0", "1", "1"}},
        {"seta cg_brassTime ", {"0", "2500", "2500"}},
        {"seta cg_gibs ", {"0", "1", "1"}},
        {"seta com_blood ", {"0", "1", "1"}},
    };
    // The Custom Config tab in this engine's cvars: the engine has one texture
    // detail (general textures), no separate light quality (vertex lighting is
    // the fastest world lighting), and model detail is r_lodbias with the curve.
    p.customLevel = {
        {C::Fixed, "seta com_maxfps ", {"1000"}},
        {C::Fixed, "seta r_swapInterval ", {"0"}},
        {C::GeneralTextures, "seta r_picmip ", {"0", "0", "1", "2"}},
        {C::TextureFilter,
         "seta r_textureMode ",
         {"GL_LINEAR_MIPMAP_NEAREST", "GL_LINEAR_MIPMAP_LINEAR"}},
        {C::TextureBits, "seta r_texturebits ", {"16", "32"}},
        {C::WallMarks, "seta cg_marks ", {"0", "1"}},
        {C::EjectingBrass, "seta cg_brassTime ", {"0", "2500"}},
        {C::DynamicLights, "seta r_dynamiclight ", {"0", "1", "1"}},
        {C::LightQuality, "seta r_vertexLight ", {"1", "0"}},
        {C::ModelDetail, "seta r_lodbias ", {"2", "1", "0", "-2"}},
        {C::ModelDetail, "seta r_subdivisions ", {"20", "12", "4", "1"}},
        {C::DrawBlood, "seta com_blood ", {"0", "1"}},
    };
    p.names = {
        {"CallOfDuty PAK Files", "OpenArena PAK Files"},
        {"CODconfig.cfg", "q3config.cfg"},
        {"CODconfig.bak", "q3config.bak"},
        {"CODConfig.cfg", "q3config.cfg"},
        {"config_mp.cfg", "q3config.cfg"},
        {"config_mp.bak", "q3config.bak"},
        {"CoDMP.exe", "openarena"},
        {"Call Of Duty", "OpenArena"},
        {"Call of Duty", "OpenArena"},
        {"CallOfDuty", "OpenArena"},
        {"COD ARENA", "OPENARENA"},
        {"COD CONFIG", "OPENARENA CONFIG"},
        {".dm_2", ".dm_71"},
    };
    return p;
}

} // namespace

const GameProfile& codProfile() {
    static const GameProfile p = makeCod();
    return p;
}

const GameProfile& openArenaProfile() {
    static const GameProfile p = makeOpenArena();
    return p;
}

std::vector<const GameProfile*> gameProfiles() {
    return {&codProfile(), &openArenaProfile()};
}

const GameProfile* profileByKey(const std::string& key) {
    for (const GameProfile* p : gameProfiles())
        if (key == p->key) return p;
    return nullptr;
}

std::string forGame(const GameProfile& game, std::string text) {
    // One pass over the text, so that a new name is never renamed again.
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        bool renamed = false;
        for (const auto& [from, to] : game.names) {
            const std::string_view f(from);
            if (text.compare(at, f.size(), f) == 0) {
                out += to;
                at += f.size();
                renamed = true;
                break;
            }
        }
        if (!renamed) out += text[at++];
    }
    return out;
}

} // namespace core
