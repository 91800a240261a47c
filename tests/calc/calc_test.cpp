// Whole exports typed into a real LibreOffice Calc by the system key sender, and
// read back cell by cell: every key must arrive, doubled letters, runs of blanks
// and movement keys in a row included. Runs under xvfb-run; leave it out with
// ctest -E calc_tests, or with FRAMEWISE_SKIP_CALC=1.
#include "calc_session.h"

#include "archive/sheet_export.h"
#include "results/messages.h"

#include <cstdlib>
#include <gtest/gtest.h>

using namespace calc_testing;

namespace {

class CalcExport : public testing::Test {
  protected:
    void SetUp() override {
        if (std::getenv("FRAMEWISE_SKIP_CALC")) GTEST_SKIP() << "FRAMEWISE_SKIP_CALC is set";
        ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "run under xvfb-run";
        ASSERT_TRUE(calcInstalled()) << "LibreOffice Calc is not installed (scripts/deps.sh installs it)";
    }

    // Exports run into a Calc of its own; the cells it ends with.
    Cells exportIntoCalc(const BenchRun& run, Cells& expected) {
        GameWithRun game(run, calc.program());
        expected = sheetFromKeys(exportItems(game.folders()));
        testing_support::ScriptedDialogs dialogs;
        dialogs.expectMessage(results::kRestored);
        auto launcher = platform::systemLauncher();
        auto keys = platform::systemKeySender();
        FocusNewWindows windowManager;
        archive::GenerateEXCEL_Click(game.folders(), dialogs, *launcher, *keys);
        return calc.cells(std::chrono::seconds(60));
    }

    CalcSession calc;
};

TEST_F(CalcExport, OnePerDumpFiveResolutionsArriveKeyForKey) {
    BenchRun run;
    run.mode = "con1";
    // Doubled letters, runs of blanks, grouping characters and letters outside
    // English, all as the name stands.
    run.demo = "dusk(2)  settings   {x}  caf\xC3\xA9 \xE2\x82\xAC" "5 \xE2\x80\x93 ok";
    run.levels = {"Normal", "High"};
    run.resolutions = {"640x480", "800x600", "1024x768", "1152x864", "1600x1200"};
    run.runs = 2;
    Cells expected;
    const Cells calcCells = exportIntoCalc(run, expected);

    EXPECT_EQ(expected.at({1, 0}), "BENCHMARK SETUP:       Demo: " + run.demo);
    EXPECT_EQ(expected.at({3, 0}),
              "     Resolutions Used:   640x480   800x600   1024x768   1152x864   1600x1200   ");
    // The extra down after the fifth resolution leaves a row empty.
    EXPECT_EQ(expected.count({4, 0}), 0u);
    EXPECT_EQ(expected.at({5, 0}), "     Benchmarks run at these settings:2 times.");
    EXPECT_EQ(differences(expected, calcCells), "");
}

TEST_F(CalcExport, ThreePerDumpSingleResultsLeaveRowsBetween) {
    BenchRun run;
    run.mode = "con3";
    run.demo = "jeep   rally";
    run.levels = {"Normal", "Maximum", "Custom"};
    run.resolutions = {"800x600", "1600x1200", "2048x1536"};
    run.resultsPerDump = 1;
    Cells expected;
    const Cells calcCells = exportIntoCalc(run, expected);

    // Header, then a label and its value with an empty row after each.
    EXPECT_EQ(expected.at({8, 0}), "NORMAL Configuration File Settings:");
    EXPECT_EQ(expected.at({9, 0}), "800x600 ");
    EXPECT_EQ(expected.at({9, 1}), figureFor(0, 0, 0));
    EXPECT_EQ(expected.count({10, 0}), 0u);
    EXPECT_EQ(expected.at({11, 0}), "1600x1200 ");
    EXPECT_EQ(differences(expected, calcCells), "");
}

// Calc completes a text typed into a cell from a longer one the column holds:
// the row of the sixth and later resolutions begins with the sixth one's label,
// and from the second level on the column holds that label as well, so Calc
// proposes what both share and takes the next Right for accepting it.
TEST_F(CalcExport, SixthResolutionsLabelIsNotCompletedInAnyLevel) {
    BenchRun run;
    run.mode = "con1";
    run.demo = "dusk";
    run.levels = {"Normal", "High", "Maximum", "Custom"};
    run.resolutions = {"320x240", "400x300", "512x384", "640x480", "800x600", "960x720", "1024x768"};
    Cells expected;
    const Cells calcCells = exportIntoCalc(run, expected);
    EXPECT_EQ(expected.at({4, 0}), "960x720   1024x768   ");
    EXPECT_EQ(differences(expected, calcCells), "");
}

TEST_F(CalcExport, TwelveResolutionsThreeResultsEachArriveWhole) {
    BenchRun run;
    run.mode = "con3";
    run.demo = "dusk";
    run.runs = 3;
    run.levels = {"Normal", "High", "Maximum", "Custom"};
    run.resolutions = everyResolution();
    Cells expected;
    const Cells calcCells = exportIntoCalc(run, expected);
    EXPECT_EQ(differences(expected, calcCells), "");
}

// Calc already open when the export starts: the Calc the export starts hands the
// new sheet to it and ends. The new sheet gets the run, the one that was open
// and the window the export was started from get no key.
TEST_F(CalcExport, TypesIntoANewSheetOfTheCalcAlreadyOpen) {
    FocusNewWindows windowManager;
    auto launcher = platform::systemLauncher();
    auto keys = platform::systemKeySender();
    const auto open = launcher->startProgram(calc.program().string(), {"--calc"});
    ASSERT_TRUE(open.started) << open.error;
    const auto before = calc.titles(1, std::chrono::seconds(90));
    ASSERT_EQ(before.size(), 1u);
    ASSERT_NE(keys->waitForFocusOf(open.processId, 60000), 0u) << "the open Calc never showed its sheet";

    BenchRun run;
    run.mode = "con1";
    run.demo = "dusk";
    run.levels = {"Normal", "High"};
    run.resolutions = {"640x480", "800x600"};
    run.runs = 2;
    GameWithRun game(run, calc.program());
    const Cells expected = sheetFromKeys(exportItems(game.folders()));
    ToolWindow tool;
    testing_support::ScriptedDialogs dialogs;
    dialogs.expectMessage(results::kRestored);
    archive::GenerateEXCEL_Click(game.folders(), dialogs, *launcher, *keys);

    const auto after = calc.titles(2, std::chrono::seconds(30));
    ASSERT_EQ(after.size(), 2u);
    const std::string added = after[0] == before[0] ? after[1] : after[0];
    EXPECT_EQ(differences(expected, calc.cells(std::chrono::seconds(60), added)), "");
    EXPECT_EQ(differences({}, calc.cells(std::chrono::seconds(5), before[0])), "");
    EXPECT_EQ(tool.keysReceived(), 0);
}

} // namespace
