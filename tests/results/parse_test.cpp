#include "results/average.h"
#include "results/dumps.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

using namespace results;
using testing_support::ScriptedDialogs;
using testing_support::TempDir;
using testing_support::writeFile;

namespace {

std::string modeLine(const std::string& w, const std::string& h) {
    return "]vid_restart\nMODE: 3, " + w + " x " + h + " fullscreen hz:N/A\n";
}

std::string result(const std::string& fps) {
    return "1300 frames, 27.4 seconds: " + fps + " fps\n";
}

} // namespace

TEST(Average, ExactDecimalWithTiesToEven) {
    struct Case {
        std::vector<std::string> figures;
        std::string t;
    };
    const Case cases[] = {
        {{"47.0", "47.25"}, "47.12"}, // 47.125: tie, 2 is even
        {{"47.0", "47.35"}, "47.18"}, // 47.175: tie, 8 is even
        {{"41.0", "41.0"}, "41"},
        {{"48.0", "47.4", "47.8"}, "47.73"},
        {{"35.2", "35.8", "35.5"}, "35.5"},
        {{"2.675"}, "2.68"}, // a double holds 2.67499..., which would give 2.67
        {{"1.005"}, "1"},
        {{"0.1", "0.2"}, "0.15"},
        {{"12.", ".5"}, "6.25"},
        {{"99999.99", "99999.99", "99999.99"}, "99999.99"},
        {{"123456789012345", "123456789012345"}, "123456789012345"},
    };
    for (const auto& c : cases) {
        auto h = averageHundredths(c.figures);
        ASSERT_TRUE(h) << c.t;
        EXPECT_EQ(hundredthsText(*h), c.t);
    }
}

TEST(Average, RefusesWhatIsNotAFigure) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {""},
        {"."},
        {"4 7"},
        {"-1"},
        {"1e3"},
        {"1.2.3"},
        {"48.0", "abc"},
        {"1234567890123456"},        // 16 digits
        {"123456789012345", "0.12"}, // fits alone, not together
        std::vector<std::string>(kMaxFigures + 1, "1"),
    };
    for (const auto& c : cases)
        EXPECT_FALSE(averageHundredths(c)) << c.size();
    EXPECT_EQ(hundredthsText(*averageHundredths(std::vector<std::string>(kMaxFigures, "47.4"))),
              "47.4");
}

TEST(FormatAverage, PadsByIntegerPartAndDecimals) {
    const std::pair<std::string, std::string> cases[] = {
        {"41", " 41.00"},     {"123", " 123.00"},     {"7", " 7.00"},
        {"35.5", "  35.50"},  {"7.5", "   7.50"},     {"47.73", "  47.73 "},
        {"7.25", "   7.25 "}, {"123.45", " 123.45 "}, {"1234.5", " 1234.50"},
    };
    for (const auto& [t, text] : cases)
        EXPECT_EQ(FormatAverage(t), text) << t;
}

TEST(ValueField, RightAlignsInFiveCharacters) {
    const std::pair<std::string, std::string> cases[] = {
        {"9", "    9, "},    {"95", "   95, "},    {"9.5", "  9.5, "},
        {"47.4", " 47.4, "}, {"123.4", "123.4, "}, {"1234.56", "1234.56, "},
    };
    for (const auto& [fps, field] : cases)
        EXPECT_EQ(valueField(fps), field) << fps;
}

TEST(ParseResolutionLabel, GivesTwelveCharacterLabelsForEveryGameSize) {
    const std::pair<const char*, const char*> sizes[] = {
        {"320", "240"},   {"400", "300"},   {"512", "384"},   {"640", "480"},
        {"800", "600"},   {"960", "720"},   {"1024", "768"},  {"1152", "864"},
        {"1280", "1024"}, {"1600", "1200"}, {"2048", "1536"}, {"856", "480"},
    };
    // The renderer start goes on after the mode line, then a play follows.
    const std::string after =
        " hz:N/A\nGAMMA: hardware\n----- finished R_Init -----\n" + result("47.4");
    for (const auto& [w, h] : sizes) {
        for (const char* screen : {" fullscreen", " windowed"}) {
            auto r =
                ParseResolutionLabel(std::string("MODE: 3, ") + w + " x " + h + screen + after);
            ASSERT_TRUE(r) << w << screen;
            EXPECT_EQ(r->width, w);
            EXPECT_EQ(r->height, h);
            std::string label = resolutionLabel(*r);
            EXPECT_EQ(label.size(), 12u) << label;
            EXPECT_EQ(label.substr(label.find('(')), std::string("(") + w + "x" + h + ") ");
        }
    }
    EXPECT_EQ(resolutionLabel({"800", "600"}), "  (800x600) ");
    EXPECT_EQ(resolutionLabel({"1024", "768"}), " (1024x768) ");
    EXPECT_EQ(resolutionLabel({"2048", "1536"}), "(2048x1536) ");
    EXPECT_EQ(resolutionLabel({"10", "20"}), "(10x20) "); // 4 characters: no pad
}

TEST(ParseResolutionLabel, HeightEndsWithItsDigitsWhateverWordFollows) {
    struct Case {
        std::string text;
        bool found;
        std::string width, height;
    };
    const Case cases[] = {
        {"MODE: 3, 640 x 480 fullscreen hz:N/A\n", true, "640", "480"},
        {"MODE: 3, 640 x 480 windowed hz:N/A\n----- finished R_Init -----\n", true, "640", "480"},
        {"MODE: 8, 1280 x 1024 windowed hz:60\n", true, "1280", "1024"},
        {"MODE: 3,640x480 f", true, "640", "480"},
        {"MODE: 3,   640   x   480   fs", true, "640", "480"},
        {"MODE: 3, 640 x 480", true, "640", "480"}, // the dump may end right after it
        {"x, y MODE: 4, 800 x 600 fullscreen", true, "800", "600"},
        {"MODE: 3, 640 x 480\nfps", true, "640", "480"},
        {"MODE: 3,640x480fs", true, "640", "480"}, // no game prints it; the digits decide
        {"", false, "", ""},
        {"mode: 3, 640 x 480 f", false, "", ""},
        {"MODE: 3 640 x 480 f", false, "", ""},
        {"MODE: 3, 640 by 480", false, "", ""},
        {"MODE: 3, 640 xf", false, "", ""},
        {"MODE: 3, 640 x   ", false, "", ""},
        {"MODE: 3, 640 x\n480 windowed", false, "", ""},
    };
    for (const auto& c : cases) {
        auto r = ParseResolutionLabel(c.text);
        ASSERT_EQ(r.has_value(), c.found) << c.text;
        if (!r) continue;
        EXPECT_EQ(r->width, c.width) << c.text;
        EXPECT_EQ(r->height, c.height) << c.text;
    }
}

TEST(ExtractFpsValues, OnlyWholeResultLinesFirstOrAllInOrder) {
    const std::string dump = "timedemo 1\nold line 3 seconds 9 fps\n" + result("48.0") +
                             result("47.4") + "1 frames, 0.1 seconds:   47.8   fps  \n";
    EXPECT_EQ(ExtractFpsValues(dump, false), std::vector<std::string>{"48.0"});
    EXPECT_EQ(ExtractFpsValues(dump, true), (std::vector<std::string>{"48.0", "47.4", "47.8"}));
    EXPECT_TRUE(ExtractFpsValues("no results here", true).empty());
    // Every result counts: none is dropped past a limit.
    std::string many;
    for (int i = 0; i < 150; ++i)
        many += result(std::to_string(i));
    EXPECT_EQ(ExtractFpsValues(many, true).size(), 150u);
}

TEST(ResultLineFps, TakesOnlyALineOfTheGamesResultShape) {
    const std::pair<std::string, const char*> cases[] = {
        {"1300 frames, 27.4 seconds: 47.4 fps", "47.4"},
        {"1300 frames, 27.4 seconds: 47.4 fps   ", "47.4"}, // condump trims these anyway
        {"1 frames, 0.1 seconds:   47.8   fps", "47.8"},
        {"1300 frames, 27 seconds: 48 fps", "48"},
        {"1300 frames, 27.4 seconds: n/a fps", "n/a"}, // the game's line, told as no number
        // Chat, names and other words around the same text.
        {"Player: 1300 frames, 27.4 seconds: 999.9 fps", nullptr},
        {" 1300 frames, 27.4 seconds: 999.9 fps", nullptr},
        {"1300 frames, 27.4 seconds: 999.9 fps (not really)", nullptr},
        {"1300 frames, 27.4 seconds: 999.9 fps^7 entered the game", nullptr},
        {"frames, 27.4 seconds: 47.4 fps", nullptr},
        {"1300 frames 27.4 seconds 47.4 fps", nullptr},
        {"1300 frames, seconds: 47.4 fps", nullptr},
        {"1300 frames, 27.4 seconds: 47.4fps", nullptr},
        {"1300 frames, 27.4 seconds: fps", nullptr},
        {"1300 frames, 27.4 seconds: 47 4 fps", nullptr},
        {"1300 frames, 27.4 seconds: 47.4", nullptr},
        {"x1300 frames, 27.4 seconds: 47.4 fps", nullptr},
        {"", nullptr},
    };
    for (const auto& [line, fps] : cases) {
        const auto got = resultLineFps(line);
        ASSERT_EQ(got.has_value(), fps != nullptr) << line;
        if (got) {
            EXPECT_EQ(*got, fps) << line;
        }
    }
}

TEST(ResultLineFps, OpenArenaShapeTakesTheEnginesOwnLine) {
    const std::string_view shape = core::openArenaProfile().resultLine;
    const std::pair<std::string, const char*> cases[] = {
        {"592 frames 3.6 seconds 163.0 fps 1.0/6.1/133.0/7.2 ms", "163.0"},
        {"79 frames 1.5 seconds 53.3 fps 5.0/18.8/530.0/30.7 ms  ", "53.3"},
        {"1300 frames, 27.4 seconds: 47.4 fps", nullptr}, // the other game's
        {"592 frames 3.6 seconds 163.0 fps", nullptr},
        {"592 frames 3.6 seconds 163.0 fps 1.0/6.1/133.0/7.2 ms extra", nullptr},
        {"Player: 592 frames 3.6 seconds 163.0 fps 1.0/6.1/133.0/7.2 ms", nullptr},
        {"592 frames 3.6 seconds 16 3.0 fps 1.0/6.1/133.0/7.2 ms", nullptr},
    };
    for (const auto& [line, fps] : cases) {
        const auto got = resultLineFps(line, shape);
        ASSERT_EQ(got.has_value(), fps != nullptr) << line;
        if (got) {
            EXPECT_EQ(*got, fps) << line;
        }
    }
    const std::string dump = "MODE: 0, 320 x 240 windowed hz:N/A\n"
                             "79 frames 1.5 seconds 53.3 fps 5.0/18.8/530.0/30.7 ms\n"
                             "1300 frames, 27.4 seconds: 47.4 fps\n"
                             "79 frames 1.4 seconds 56.1 fps 5.0/17.8/500.0/29.1 ms\n";
    EXPECT_EQ(ExtractFpsValues(dump, true, shape), (std::vector<std::string>{"53.3", "56.1"}));
    EXPECT_EQ(ExtractFpsValues(dump, true), std::vector<std::string>{"47.4"});
}

TEST(ReadConsoleDump, ExactNameOnlyAndACarriageReturnOverwritesItsLine) {
    TempDir dir;
    writeFile(dir.path() / "FRWb_3.lo",
              "MODE: 3, 640 x 480 f\r\n" + result("48.0") + "chat: hi\r" + result("99.0"));
    writeFile(dir.path() / "frwb_6.lo", result("1.0"));
    auto dump = ReadConsoleDump(dir.folder(), "FRWb_3.lo");
    EXPECT_EQ(dump.status, DumpStatus::Present);
    EXPECT_EQ(dump.text, "MODE: 3, 640 x 480 f\n" + result("48.0") + result("99.0"));

    EXPECT_EQ(ReadConsoleDump(dir.folder(), "FRWb_6.lo").status, DumpStatus::Missing);
    EXPECT_EQ(ReadConsoleDump(dir.folder(), "FRWb_9.lo").status, DumpStatus::Missing);
    for (const char* name : {"", "..", "../FRWb_3.lo", "sub/FRWb_3.lo", "sub\\x.lo", "C:x.lo"})
        EXPECT_EQ(ReadConsoleDump(dir.folder(), name).status, DumpStatus::NotAName) << name;
}

TEST(ConsoleText, ACarriageReturnGoesBackToTheStartOfItsLineAsTheConsoleDoes) {
    const std::pair<std::string, std::string> cases[] = {
        {"abc\ndef\n", "abc\ndef\n"},
        {"abc\r\ndef\r\n", "abc\ndef\n"},
        {"abcdef\rXY\n", "XYcdef\n"},
        {"ab\rwxyz\n", "wxyz\n"},
        {"a\r\rb\r", "b"},
        {"\r", ""},
        {"one\rtwo\rthree\nfour", "three\nfour"},
    };
    for (const auto& [bytes, shown] : cases)
        EXPECT_EQ(consoleText(bytes), shown) << bytes;
}

TEST(BuildDumpTable, SortsNamesIntoRowsByTheirLastTwoCharacters) {
    auto t = dumpTableFromLines(
        {"FRWb_3.hi", "FRWb_3.cus", "FRWb_6.hi", "x", "", "FRWb_3.max", "FRWb_3.lo.bak"});
    EXPECT_TRUE(t.rows[0].empty());
    EXPECT_EQ(t.rows[1], (std::vector<std::string>{"FRWb_3.hi", "FRWb_6.hi"}));
    EXPECT_EQ(t.rows[2], std::vector<std::string>{"FRWb_3.max"});
    EXPECT_EQ(t.rows[3], std::vector<std::string>{"FRWb_3.cus"});

    std::vector<std::string> lines;
    for (int i = 0; i < 40; ++i)
        lines.push_back("FRWb_" + std::to_string(i) + ".lo");
    t = dumpTableFromLines(lines);
    EXPECT_EQ(t.rows[0].size(), kPlaces);
    EXPECT_EQ(t.rows[0].back(), "FRWb_35.lo");
    EXPECT_EQ(t.dropped[0], 4u);

    TempDir dir;
    EXPECT_FALSE(BuildDumpTable(dir.folder()));
    writeFile(dir.path() / "FRWb_condump_list.ini", "FRWb_3.lo\r\nFRWb_6.lo\r\n");
    EXPECT_EQ(BuildDumpTable(dir.folder())->rows[0].size(), 2u);
}

namespace {

// One level's dumps in a temporary main folder.
struct Row {
    TempDir dir;
    std::vector<std::string> names;
    void add(const std::string& name, const std::string& text) {
        writeFile(dir.path() / name, text);
        names.push_back(name);
    }
    void listOnly(const std::string& name) { names.push_back(name); }
    RowResult write(DumpMode mode, int runs, ScriptedDialogs& d, std::string& report) {
        return WriteResultLines(names, mode, runs, DumpFolder(dir.folder()), report, d);
    }
};

} // namespace

TEST(WriteResultLines, ThreePerDumpAveragesEachDumpsRuns) {
    Row row;
    row.add("FRWb_4.lo", modeLine("800", "600") + result("47.0") + result("47.25"));
    row.add("FRWb_6.lo", modeLine("1024", "768") + result("40") + result("44"));
    ScriptedDialogs d;
    std::string report;
    EXPECT_EQ(row.write(DumpMode::ThreePerDump, 2, d, report), RowResult::Completed);
    EXPECT_EQ(report, "  (800x600)  47.0, 47.25,   AVERAGE FPS:   47.12 \r\n"
                      " (1024x768)    40,    44,   AVERAGE FPS:  42.00\r\n");

    Row single;
    single.add("FRWb_3.lo", modeLine("640", "480") + result("48.0"));
    report.clear();
    EXPECT_EQ(single.write(DumpMode::ThreePerDump, 1, d, report), RowResult::Completed);
    EXPECT_EQ(report, "  (640x480)  48.0, \r\n");
}

// Dumps that players' demos and interrupted or edited runs really produce: text
// that looks like a result, dumps with too few or too many results, and CRs.
TEST(WriteResultLines, ForgedShortLongAndCarriageReturnDumps) {
    struct Case {
        const char* what;
        DumpMode mode;
        int runs;
        std::vector<std::string> dumps; // each after the 640x480 mode line
        std::string message;            // empty: the row completes
        std::string report;
    };
    const std::string three = result("48.0") + result("47.4") + result("47.8");
    const auto crlf = [](std::string text) {
        for (auto at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 2))
            text.insert(at, "\r");
        return text;
    };
    const std::string line3 = "  (640x480)  48.0,  47.4,  47.8,   AVERAGE FPS:   47.73 \r\n";
    const std::string forged = "1 frames, 0.1 seconds: 999.9 fps";
    std::string hundredAndOne;
    for (int i = 0; i < 101; ++i)
        hundredAndOne += result("47.0");
    const std::string damaged = "Error - The console dump ";
    const std::string kept = ".\r\n\r\nThe report keeps the lines written before it.";
    const Case cases[] = {
        {"a chat line",
         DumpMode::ThreePerDump,
         3,
         {result("48.0") + "Player: " + forged + "\n" + result("47.4") + result("47.8")},
         "",
         line3},
        {"a player's name",
         DumpMode::ThreePerDump,
         3,
         {result("48.0") + forged + " entered the game\n" + result("47.4") + result("47.8")},
         "",
         line3},
        {"a chat line before the only run",
         DumpMode::OnePerDump,
         1,
         {"Player: " + forged + "\n" + result("48.0")},
         "",
         "  (640x480)  48.0,   AVERAGE FPS:  48.00\r\n"},
        {"a chat line wrapped to a line of its own",
         DumpMode::ThreePerDump,
         3,
         {result("48.0") + forged + "\n" + result("47.4") + result("47.8")},
         damaged +
             "FRWb_3_1.lo holds 4 results instead of 3, one per run: some of them are "
             "not this benchmark's" +
             kept,
         "  (640x480) "},
        {"a run's dump with a second result",
         DumpMode::OnePerDump,
         2,
         {result("48.0"), forged + "\n" + result("47.4")},
         damaged +
             "FRWb_3_2.lo holds 2 results instead of 1: some of them are not this "
             "benchmark's" +
             kept,
         "  (640x480)  48.0, "},
        {"cut after the second result",
         DumpMode::ThreePerDump,
         3,
         {result("48.0") + result("47.4")},
         damaged + "FRWb_3_1.lo holds 2 results instead of 3, one per run: it is incomplete" + kept,
         "  (640x480) "},
        {"101 results",
         DumpMode::ThreePerDump,
         3,
         {hundredAndOne},
         damaged +
             "FRWb_3_1.lo holds 101 results instead of 3, one per run: some of them are "
             "not this benchmark's" +
             kept,
         "  (640x480) "},
        {"101 results, no number of runs",
         DumpMode::ThreePerDump,
         0,
         {hundredAndOne},
         damaged + "FRWb_3_1.lo holds 101 results, more than the 100 that can be averaged" + kept,
         "  (640x480) "},
        {"a lone CR in a chat line",
         DumpMode::ThreePerDump,
         3,
         {result("48.0") + "Player: hi\rthere\n" + result("47.4") + result("47.8")},
         "",
         line3},
        {"CR LF line ends", DumpMode::ThreePerDump, 3, {"\r\n" + crlf(three)}, "", line3},
        {"a CR that turns chat into a result line",
         DumpMode::ThreePerDump,
         3,
         {"Player: \r" + forged + "\n" + three},
         damaged +
             "FRWb_3_1.lo holds 4 results instead of 3, one per run: some of them are "
             "not this benchmark's" +
             kept,
         "  (640x480) "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Row row;
        for (std::size_t i = 0; i < c.dumps.size(); ++i)
            row.add("FRWb_3_" + std::to_string(i + 1) + ".lo", modeLine("640", "480") + c.dumps[i]);
        ScriptedDialogs d;
        if (!c.message.empty()) d.expectMessage(c.message);
        std::string report;
        EXPECT_EQ(row.write(c.mode, c.runs, d, report),
                  c.message.empty() ? RowResult::Completed : RowResult::Stopped);
        EXPECT_EQ(report, c.report);
    }
}

TEST(WriteResultLines, OnePerDumpGroupsRunsAndEndsAfterPlace36) {
    Row row;
    for (int mode = 0; mode < 12; ++mode)
        for (int run = 1; run <= 3; ++run)
            row.add("FRWb_" + std::to_string(mode) + "_" + std::to_string(run) + ".lo",
                    modeLine("640", "480") + result(std::to_string(40 + run) + ".0"));
    row.listOnly("FRWb_12_1.lo"); // past place 36: never read
    ScriptedDialogs d;
    std::string report;
    EXPECT_EQ(row.write(DumpMode::OnePerDump, 3, d, report), RowResult::Completed);
    std::string line = "  (640x480)  41.0,  42.0,  43.0,   AVERAGE FPS:  42.00\r\n";
    std::string all;
    for (int i = 0; i < 12; ++i)
        all += line;
    EXPECT_EQ(report, all);
}

TEST(WriteResultLines, StopsKeepTheBegunLine) {
    struct Case {
        const char* what;
        DumpMode mode;
        int runs;
        std::vector<std::pair<std::string, std::string>> dumps; // empty text: listed, absent
        std::string message;
        std::string report;
    };
    const std::string m640 = modeLine("640", "480");
    const std::string kept = "\r\n\r\nThe report keeps the lines written before it.";
    const Case cases[] = {
        {"second run missing",
         DumpMode::OnePerDump,
         2,
         {{"FRWb_3_1.lo", m640 + result("48.0")}, {"FRWb_3_2.lo", ""}},
         kPrematureTermination,
         "  (640x480)  48.0, "},
        {"group short of runs",
         DumpMode::OnePerDump,
         3,
         {{"FRWb_3_1.lo", m640 + result("48.0")}, {"FRWb_3_2.lo", m640 + result("47.0")}},
         kStoppedEarly,
         "  (640x480)  48.0,  47.0, "},
        {"dump missing",
         DumpMode::ThreePerDump,
         1,
         {{"FRWb_3.lo", m640 + result("48.0")}, {"FRWb_4.lo", ""}},
         kPrematureTermination,
         "  (640x480)  48.0, \r\n"},
        {"path in the dump list",
         DumpMode::ThreePerDump,
         3,
         {{"../FRWb_3.lo", ""}},
         "Error - The dump list FRWb_condump_list.ini names \"../FRWb_3.lo\", which is not a "
         "plain file name, so it was not opened." +
             kept,
         ""},
        {"empty dump",
         DumpMode::ThreePerDump,
         3,
         {{"FRWb_3.lo", "\r"}}, // shows nothing
         "Error - The console dump FRWb_3.lo is empty." + kept,
         ""},
        {"no mode line",
         DumpMode::OnePerDump,
         1,
         {{"FRWb_3_1.lo", result("48.0")}},
         "Error - The console dump FRWb_3_1.lo has no screen mode line (\"MODE: n, W x H "
         "...\")." +
             kept,
         ""},
        {"no result",
         DumpMode::ThreePerDump,
         3,
         {{"FRWb_3.lo", m640}},
         "Error - The console dump FRWb_3.lo holds no result line (\"<frames> frames, <time> "
         "seconds: <fps> fps\")." +
             kept,
         "  (640x480) "},
        {"not a number",
         DumpMode::ThreePerDump,
         3,
         {{"FRWb_3.lo", m640 + result("n/a")}},
         "Error - The console dump FRWb_3.lo has the result \"n/a\", which is not a number." + kept,
         "  (640x480) "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Row row;
        for (const auto& [name, text] : c.dumps) {
            if (text.empty())
                row.listOnly(name);
            else
                row.add(name, text);
        }
        ScriptedDialogs d;
        d.expectMessage(c.message);
        std::string report;
        EXPECT_EQ(row.write(c.mode, c.runs, d, report), RowResult::Stopped);
        EXPECT_EQ(report, c.report);
    }
}
