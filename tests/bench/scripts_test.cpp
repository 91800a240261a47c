#include "bench/bench.h"
#include "bench_test_support.h"
#include "core/textfile.h"
#include "support/fakes.h"

#include <array>
#include <deque>
#include <gtest/gtest.h>
#include <map>

namespace {

using bench::CustomSettings;
using bench::RunChoices;
using testing_support::TempDir;

RunChoices choose(std::array<bool, 4> levels, std::vector<int> modes, int runs, bool threePerDump,
                  bool loop, std::string demoEntry = "bench1.dm_2") {
    RunChoices c;
    c.levels = levels;
    c.resolutions = {};
    for (int m : modes)
        c.resolutions[static_cast<std::size_t>(m)] = true;
    c.runs = runs;
    c.threePerDump = threePerDump;
    c.loop = loop;
    c.demoEntries = {"other.dm_2", demoEntry};
    c.selectedDemo = 1;
    return c;
}

// Custom settings with no option selected in the groups whose lines may be left out.
CustomSettings bareCustom() {
    CustomSettings s;
    s.chr_text = {};
    s.gen_text = {};
    s.opt_bilinear = s.opt_trilinear = false;
    s.opt_texture_16 = s.opt_texture_32 = false;
    s.check_wall = true, s.check_brass = true, s.opt_blood = false;
    s.opt_dl_no = s.opt_dl_mo = s.opt_dl_ev = false;
    s.opt_wdl_f = s.opt_wdl_n = false;
    s.op_md_min = s.op_md_lo = s.op_md_nr = s.op_md_max = false;
    return s;
}

struct ExampleCase {
    const char* fixture;
    RunChoices choices;
    CustomSettings custom;
};

TEST(RunScripts, WorkedExamplesAreWrittenByteForByte) {
    const ExampleCase cases[] = {
        {"example_con3", choose({true, true, false, false}, {3, 6}, 2, true, false), {}},
        {"example_con1", choose({true, true, false, false}, {3, 6}, 2, false, false), {}},
        {"example_loop", choose({true, false, false, false}, {4}, 3, false, true), {}},
        {"single_con3", choose({true, false, false, false}, {3}, 1, true, false, "a.b.dm_2"), {}},
        {"custom_con1", choose({false, false, false, true}, {0, 11}, 1, false, false, "nodot"),
         bareCustom()},
    };
    for (const auto& c : cases) {
        TempDir dir;
        auto names = bench::writeRunScripts(dir.folder(), c.choices, c.custom);
        bench_test::expectSameFiles(dir.path(), c.fixture);
        EXPECT_EQ(core::readLines(bench_test::dataPath(c.fixture) / bench::kDumpListFile), names)
            << c.fixture;
    }
}

TEST(LevelFiles, FixedAndCustomLevelsMatchTheirTables) {
    auto lines = [](const std::string& rel) {
        return *core::readLines(bench_test::dataPath("levels/" + rel));
    };
    EXPECT_EQ(lines("FRWb_lo.cfg"), bench::levelFileLines(bench::Normal, {}));
    EXPECT_EQ(lines("FRWb_hi.cfg"), bench::levelFileLines(bench::High, {}));
    EXPECT_EQ(lines("FRWb_max.cfg"), bench::levelFileLines(bench::Maximum, {}));
    EXPECT_EQ(lines("custom_bare.cfg"), bench::levelFileLines(bench::Custom, bareCustom()));
}

TEST(LevelFiles, OnlyTheTickedLevelsAreWritten) {
    TempDir dir;
    bench::writeRunScripts(dir.folder(), choose({true, false, true, false}, {3}, 1, true, false),
                           {});
    EXPECT_EQ(testing_support::readFile(bench_test::dataPath("levels/FRWb_lo.cfg")),
              testing_support::readFile(dir.path() / "FRWb_lo.cfg"));
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "FRWb_max.cfg"));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "FRWb_hi.cfg"));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "FRWb_custom.cfg"));
}

TEST(LevelFiles, CustomLinesFollowTheFirstSelectedOptionOfEachGroup) {
    struct Case {
        const char* name;
        void (*set)(CustomSettings&);
        std::vector<std::string> expected; // lines that must be present
        std::vector<std::string> absent;
    };
    const Case cases[] = {
        {"wall marks off uses one blank",
         [](CustomSettings& s) { s.check_wall = false; },
         {"seta cg_marks \"0\""},
         {"seta cg_marks  \"1\""}},
        {"low model detail",
         [](CustomSettings& s) { s.op_md_lo = true; },
         {"seta r_lodbias \"-100\"", "seta r_lodscale\"2\""},
         {}},
        {"first selected wins",
         [](CustomSettings& s) {
             s.chr_text = {false, true, false, true};
         },
         {"seta r_picmip2 \"1\""},
         {"seta r_picmip2 \"3\""}},
        {"trilinear is not read",
         [](CustomSettings& s) { s.opt_trilinear = true; },
         {"seta r_textureMode \"GL_LINEAR_MIPMAP_LINEAR\""},
         {}},
        {"bilinear and 16 bit",
         [](CustomSettings& s) { s.opt_bilinear = s.opt_texture_16 = true; },
         {"seta r_textureMode \"GL_LINEAR_MIPMAP_NEAREST\"", "seta r_texturebits \"16\""},
         {}},
        {"models only before everything",
         [](CustomSettings& s) { s.opt_dl_mo = s.opt_dl_ev = true; },
         {"seta r_dynamiclight \"2\""},
         {"seta r_dynamiclight \"1\""}},
        {"world light fastest",
         [](CustomSettings& s) { s.opt_wdl_f = true; },
         {"seta r_dlightQuality \"0\""},
         {}},
    };
    for (const auto& c : cases) {
        CustomSettings s = bareCustom();
        c.set(s);
        auto lines = bench::levelFileLines(bench::Custom, s);
        for (const auto& want : c.expected)
            EXPECT_NE(std::find(lines.begin(), lines.end(), want), lines.end())
                << c.name << ": " << want;
        for (const auto& unwanted : c.absent)
            EXPECT_EQ(std::find(lines.begin(), lines.end(), unwanted), lines.end()) << c.name;
        EXPECT_EQ("exec FRWb_cont_custom.cfg", lines.back()) << c.name;
    }
}

// A small model of the game's command buffer: enough of the console language to
// follow the chain from the command line to quit and record every dump it writes.
class ChainWalker {
  public:
    explicit ChainWalker(std::filesystem::path main) : main_(std::move(main)) {}

    std::vector<std::string> dumps;
    bool quit = false;
    std::vector<std::string> problems;

    void run(const std::string& commandLine, std::size_t maxDumps) {
        const std::string exec = "+exec ";
        auto at = commandLine.find(exec);
        if (at == std::string::npos) return problems.push_back("no +exec on the command line");
        insert("exec " + commandLine.substr(at + exec.size()));
        for (int steps = 0; steps < 20000 && !quit && problems.empty() && dumps.size() < maxDumps;
             ++steps) {
            if (buffer_.empty()) {
                if (!demoPlaying_) return problems.push_back("the chain stopped without quit");
                demoPlaying_ = false;
                insert(vars_["nextdemo"]);
                continue;
            }
            std::string cmd = buffer_.front();
            buffer_.pop_front();
            execute(cmd);
        }
    }

  private:
    std::filesystem::path main_;
    std::deque<std::string> buffer_;
    std::map<std::string, std::string> vars_;
    bool demoPlaying_ = false;

    static std::string trim(const std::string& s) {
        auto b = s.find_first_not_of(' ');
        if (b == std::string::npos) return {};
        return s.substr(b, s.find_last_not_of(' ') - b + 1);
    }

    // Splits at ';' and line ends outside quotes and puts the commands first in line.
    void insert(const std::string& text) {
        std::vector<std::string> cmds;
        std::string cur;
        bool quoted = false;
        for (char ch : text) {
            if (ch == '"') quoted = !quoted;
            if (!quoted && (ch == ';' || ch == '\n')) {
                cmds.push_back(trim(cur));
                cur.clear();
            } else {
                cur += ch;
            }
        }
        cmds.push_back(trim(cur));
        for (auto it = cmds.rbegin(); it != cmds.rend(); ++it)
            if (!it->empty()) buffer_.push_front(*it);
    }

    void execute(const std::string& cmd) {
        auto sp = cmd.find(' ');
        std::string word = cmd.substr(0, sp);
        std::string rest = sp == std::string::npos ? "" : trim(cmd.substr(sp + 1));
        if (word == "set" || word == "Set" || word == "seta") {
            auto nsp = rest.find(' ');
            std::string name = rest.substr(0, nsp);
            std::string value = nsp == std::string::npos ? "" : trim(rest.substr(nsp + 1));
            if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
                value = value.substr(1, value.size() - 2);
            vars_[name] = value;
        } else if (word == "vstr") {
            if (!vars_.count(rest)) return problems.push_back("vstr of unset variable " + rest);
            insert(vars_[rest]);
        } else if (word == "exec") {
            auto lines = core::readLines(main_ / rest);
            if (!lines) return problems.push_back("exec of missing file " + rest);
            std::string text;
            for (const auto& l : *lines)
                text += l + "\n";
            insert(text);
        } else if (word == "demo") {
            if (rest != "bench1") problems.push_back("demo " + rest);
            demoPlaying_ = true;
        } else if (word == "condump") {
            dumps.push_back(rest);
        } else if (word == "quit") {
            quit = true;
        }
    }
};

struct Combination {
    int levelMask; // bit 0 Normal .. bit 3 Custom
    std::vector<int> modes;
    int runs;
    bool threePerDump, loop;
};

// Every level set on one shape of run, and every shape of run on a few level sets.
std::vector<Combination> combinations() {
    std::vector<Combination> all;
    for (int mask = 1; mask < 16; ++mask)
        for (bool three : {false, true})
            all.push_back({mask, {0, 11}, 2, three, false});
    const std::vector<std::vector<int>> modeSets{
        {3}, {4, 6, 9}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}};
    for (int mask : {1, 6, 8, 15})
        for (const auto& modes : modeSets)
            for (int runs = 1; runs <= 3; ++runs)
                for (bool three : {false, true})
                    for (bool loop : {false, true})
                        all.push_back({mask, modes, runs, three, loop});
    return all;
}

TEST(RunScripts, EveryChoiceMakesAChainThatWritesTheDumpListInOrder) {
    for (const auto& c : combinations()) {
        std::array<bool, 4> levels{};
        for (int l = 0; l < 4; ++l)
            levels[static_cast<std::size_t>(l)] = c.levelMask & (1 << l);
        auto choices = choose(levels, c.modes, c.runs, c.threePerDump, c.loop);
        TempDir dir;
        auto names = bench::writeRunScripts(dir.folder(), choices, {});
        std::string label = "levels " + std::to_string(c.levelMask) + " modes " +
                            std::to_string(c.modes.size()) + " runs " + std::to_string(c.runs) +
                            (c.threePerDump ? " con3" : " con1") + (c.loop ? " loop" : "");

        const std::size_t perLevel = c.modes.size() * (c.threePerDump ? 1 : c.runs);
        ASSERT_EQ(bench::chosenLevels(choices).size() * perLevel, names.size()) << label;
        EXPECT_EQ(*core::readLines(dir.path() / bench::kDumpListFile), names) << label;

        ChainWalker walker(dir.path());
        // A loop never leaves the first level: follow it over two passes of its dumps.
        const std::size_t cap = c.loop ? 2 * perLevel : names.size() + 1;
        walker.run(bench::gameCommandLine(choices), cap);
        EXPECT_EQ(std::vector<std::string>{}, walker.problems) << label;
        if (c.loop) {
            EXPECT_FALSE(walker.quit) << label;
            std::vector<std::string> twice(names.begin(), names.begin() + perLevel);
            twice.insert(twice.end(), names.begin(), names.begin() + perLevel);
            EXPECT_EQ(twice, walker.dumps) << label;
            for (const auto& f : testing_support::namesIn(dir.path()))
                EXPECT_EQ(std::string::npos,
                          testing_support::readFile(dir.path() / f).find("vstr continue"))
                    << label << " " << f;
        } else {
            EXPECT_TRUE(walker.quit) << label;
            EXPECT_EQ(names, walker.dumps) << label;
        }
    }
}

TEST(RunScripts, CommandLineStartsTheFirstTickedLevel) {
    struct Case {
        std::array<bool, 4> levels;
        const char* line;
    };
    const Case cases[] = {
        {{true, true, true, true}, "CoDMP.exe +exec FRWb_lo.cfg"},
        {{false, true, false, true}, "CoDMP.exe +exec FRWb_hi.cfg"},
        {{false, false, true, false}, "CoDMP.exe +exec FRWb_max.cfg"},
        {{false, false, false, true}, "CoDMP.exe +exec FRWb_custom.cfg"},
    };
    for (const auto& c : cases) {
        RunChoices choices;
        choices.levels = c.levels;
        EXPECT_EQ(c.line, bench::gameCommandLine(choices));
    }
}

TEST(RunScripts, AllLevelsOnePerDumpListsTwentyFourDumps) {
    TempDir dir;
    auto names = bench::writeRunScripts(
        dir.folder(), choose({true, true, true, true}, {4, 11}, 3, false, false), {});
    ASSERT_EQ(24u, names.size());
    EXPECT_EQ("FRWb_4_1.lo", names.front());
    EXPECT_EQ("FRWb_11_3.cus", names.back());
}

} // namespace

// OpenArena's levels use the engine's own cvars, each checked against its cvarlist.
TEST(LevelFiles, OpenArenaLevelsSetTheEnginesCvarsFromFastToFinest) {
    const auto& oa = core::openArenaProfile();
    auto value = [](const std::vector<std::string>& lines, const std::string& cvar) {
        const std::string prefix = "seta " + cvar + " \"";
        for (const auto& l : lines)
            if (l.rfind(prefix, 0) == 0)
                return l.substr(prefix.size(), l.size() - prefix.size() - 1);
        return std::string("(absent)");
    };
    const auto lo = bench::levelFileLines(bench::Normal, {}, oa);
    const auto hi = bench::levelFileLines(bench::High, {}, oa);
    const auto max = bench::levelFileLines(bench::Maximum, {}, oa);
    EXPECT_EQ(lo.front(), "// generated by Framewise - modify away........");
    EXPECT_EQ(lo[1], "unbindall");
    EXPECT_EQ(lo.back(), "exec FRWb_cont_lo.cfg");
    EXPECT_EQ(max.back(), "exec FRWb_cont_max.cfg");
    // Textures finer, more detail and effects from level to level.
    for (const auto& [cvar, l, h, m] : std::vector<std::array<std::string, 4>>{
             {"r_picmip", "1", "0", "0"},
             {"r_texturebits", "16", "32", "32"},
             {"r_subdivisions", "12", "4", "1"},
             {"r_lodbias", "1", "0", "-2"},
             {"r_ext_max_anisotropy", "2", "4", "16"},
             {"cg_marks", "0", "1", "1"},
             {"r_fastsky", "1", "0", "0"},
             {"com_maxfps", "1000", "1000", "1000"},
             {"r_swapInterval", "0", "0", "0"},
         }) {
        EXPECT_EQ(value(lo, cvar), l) << cvar;
        EXPECT_EQ(value(hi, cvar), h) << cvar;
        EXPECT_EQ(value(max, cvar), m) << cvar;
    }
    // Call of Duty's own cvars have no place in them.
    for (const auto& cvar : {"r_picmip2", "r_lodscale", "mss_volume", "cg_brass", "cg_blood"})
        EXPECT_EQ(value(max, cvar), "(absent)") << cvar;

    CustomSettings s = bareCustom();
    s.gen_text = {false, false, false, true}; // Lowest
    s.check_wall = true;
    s.opt_wdl_f = true; // fastest world lights: vertex lighting
    s.op_md_min = true;
    const auto custom = bench::levelFileLines(bench::Custom, s, oa);
    EXPECT_EQ(value(custom, "r_picmip"), "2");
    EXPECT_EQ(value(custom, "cg_marks"), "1"); // one blank here
    EXPECT_EQ(value(custom, "r_vertexLight"), "1");
    EXPECT_EQ(value(custom, "r_lodbias"), "2");
    EXPECT_EQ(value(custom, "r_subdivisions"), "20");
    EXPECT_EQ(custom.back(), "exec FRWb_cont_custom.cfg");
}

TEST(RunScripts, OpenArenaDumpsAreNamedSoItsCondumpTakesThem) {
    auto c = bench::RunChoices{};
    c.levels = {true, false, false, false};
    c.resolutions.fill(false);
    c.resolutions[0] = true;
    c.runs = 2;
    c.threePerDump = false;
    const auto script = bench::continuationScript(bench::Normal, c, ".txt");
    EXPECT_EQ(script.lines[1], "set dump0_1 \"condump FRWb_0_1.lo.txt\"");
    // The dump list keeps the names it always had.
    EXPECT_EQ(script.dumpFiles, (std::vector<std::string>{"FRWb_0_1.lo", "FRWb_0_2.lo"}));
}
