// The chart window on reports the tool wrote: the bars and marks against the
// report's figures, a comparison, saving, and the window's Chart button.
#include "app/chart/chart_window.h"

#include "window_fixture.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineSeries>
#include <QListWidget>
#include <QPushButton>
#include <QtTest/QTest>

#include <set>

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

const std::string kWorkedName = "FRWb_120426_193005.txt";

std::string worked() { return readFile(std::string(FRAMEWISE_RESULTS_DATA) + "/" + kWorkedName); }

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

QBarSeries* barsOf(QChart* chart) {
    for (auto* s : chart->series())
        if (auto* bars = qobject_cast<QBarSeries*>(s)) return bars;
    return nullptr;
}

std::vector<std::vector<double>> valuesOf(QBarSeries* bars) {
    std::vector<std::vector<double>> out;
    for (auto* set : bars->barSets()) {
        out.emplace_back();
        for (int i = 0; i < set->count(); ++i)
            out.back().push_back(set->at(i));
    }
    return out;
}

// The category names as read, whichever lines the width of the plot breaks them into.
QStringList categoriesOf(QChart* chart) {
    for (auto* axis : chart->axes(Qt::Horizontal))
        if (auto* c = qobject_cast<QBarCategoryAxis*>(axis)) return c->categories().replaceInStrings("<br>", " ");
    return {};
}

// The vertical stroke of each error bar: {low, high}.
std::vector<std::pair<double, double>> marksOf(QChart* chart) {
    std::vector<std::pair<double, double>> out;
    for (auto* s : chart->series())
        if (auto* line = qobject_cast<QLineSeries*>(s)) out.push_back({line->at(2).y(), line->at(3).y()});
    return out;
}

class ChartTest : public WindowTest {
  protected:
    std::string results = resultsFolder;
    std::string workedPath = results + kWorkedName;
    // A later run: Normal 640x480 faster, High 1024x768 not run.
    std::string laterPath = results + "FRWb_120526_101500.txt";

    ChartTest() {
        writeFile(workedPath, worked());
        std::string later = replaced(worked(), "  (640x480)  48.0,  47.4,  47.8,   AVERAGE FPS:   47.73 ",
                                     "  (640x480)  52.0,  53.4,  52.8,   AVERAGE FPS:   52.73 ");
        later = replaced(later, "\r\n (1024x768)  30.1,  30.4,  30.2,   AVERAGE FPS:   30.23 ", "");
        later = replaced(later, "FILE:  " + kWorkedName, "FILE:  FRWb_120526_101500.txt");
        later = replaced(later, "START TIME:  Friday, December 04, 2026  07:30:05 PM",
                         "START TIME:  Saturday, December 05, 2026  10:15:00 AM");
        later = replaced(later, "COMMENT:  No Comment", "COMMENT:  new driver");
        writeFile(laterPath, later);
    }
};

} // namespace

TEST_F(ChartTest, ChartOfAReportHasItsAveragesAndRunSpans) {
    chart::ChartWindow w({workedPath, laterPath}, dialogs);
    ASSERT_TRUE(w.open(workedPath));
    auto* bars = barsOf(w.chart());
    ASSERT_NE(bars, nullptr);
    EXPECT_EQ(categoriesOf(w.chart()), (QStringList{"640x480", "1024x768"}));
    ASSERT_EQ(bars->count(), 2);
    EXPECT_EQ(bars->barSets()[0]->label(), "Normal");
    EXPECT_EQ(bars->barSets()[1]->label(), "High");
    EXPECT_NE(bars->barSets()[0]->color(), bars->barSets()[1]->color());
    EXPECT_EQ(valuesOf(bars), (std::vector<std::vector<double>>{{47.73, 35.50}, {41.00, 30.23}}));
    EXPECT_TRUE(bars->isLabelsVisible());
    // The values stand above the bars, on the chart's background: they must show on it.
    const QBrush brush = w.chart()->backgroundBrush();
    const int background =
        (brush.gradient() ? brush.gradient()->stops().first().second : brush.color()).lightness();
    for (auto* set : bars->barSets())
        EXPECT_GT(std::abs(set->labelColor().lightness() - background), 128) << set->label().toStdString();
    // One sample standard deviation either side of the average, worked out by hand.
    const std::vector<std::pair<double, double>> marks{{47.73 - 0.305505, 47.73 + 0.305505},
                                                       {35.5 - 0.3, 35.5 + 0.3},
                                                       {41.0 - 0.5, 41.0 + 0.5},
                                                       {30.23 - 0.152753, 30.23 + 0.152753}};
    const auto drawn = marksOf(w.chart());
    ASSERT_EQ(drawn.size(), marks.size());
    for (std::size_t i = 0; i < marks.size(); ++i) {
        EXPECT_NEAR(drawn[i].first, marks[i].first, 1e-5) << i;
        EXPECT_NEAR(drawn[i].second, marks[i].second, 1e-5) << i;
    }
    EXPECT_TRUE(w.findChild<QLabel*>("ChartRule")->text().startsWith("Error bars: one standard"));
    EXPECT_EQ(w.findChild<QLabel*>("ChartTitle")->text(),
              "bench1, Friday, December 04, 2026  07:30:05 PM");
    EXPECT_EQ(w.findChild<QLabel*>("ChartComment")->text(), "No Comment");
    // An older report, without a record beside it.
    EXPECT_TRUE(w.findChild<QLabel*>("ChartNotes")->text().contains("Measured on: system not recorded<br>"));
}

TEST_F(ChartTest, ThreeReportsStandSideBySideLabelledWithTheirVerdictsAndDifferences) {
    // A third report: another demo, one run, holding only Normal 640x480 and High 1024x768.
    const std::string dusk = results + "FRWb_120626_090000.txt";
    writeFile(dusk, crlf({"--------------------- Framewise RESULTS ---------------------", "",
                          "      FILE:  FRWb_120626_090000.txt",
                          "START TIME:  Sunday, December 06, 2026  09:00:00 AM",
                          "   COMMENT:  overclock", " ", "BENCHMARK SETUP:  ", "----------------",
                          "           DEMO:  dusk", "  CFG FILES RUN:  Normal High  ",
                          "RESOLUTIONS RUN:  640x480 1024x768 ", " NUMBER OF RUNS:  1 times.", "",
                          "", "NORMAL Configuration File Settings:", "  (640x480)  46.0, ", "",
                          "HIGH Configuration File Settings:", " (1024x768)  31.0, "}));
    // What measured the first two; the overclock is an older report without a record.
    auto record = [](const std::string& report, const char* renderer, const char* glVersion) {
        writeFile(report.substr(0, report.size() - 4) + ".system.json",
                  std::string("{\"renderer\": \"") + renderer + "\", \"GL version\": \"" +
                      glVersion + "\", \"memory\": \"15890 MiB\", \"OS\": \"Debian\"}");
    };
    record(workedPath, "llvmpipe", "4.5 Mesa 22.3.6");
    record(laterPath, "radeonsi", "4.6 Mesa 23.2.1");
    chart::ChartWindow w({dusk, laterPath, workedPath}, dialogs);
    ASSERT_TRUE(w.open(workedPath));
    EXPECT_TRUE(w.findChild<QLabel*>("ChartNotes")->text().contains(
        "Measured on: renderer: llvmpipe, GL version: 4.5 Mesa 22.3.6, memory: 15890 MiB, OS: "
        "Debian<br>"));
    // The chooser tells the reports by date, demo and comment.
    auto* chooser = w.findChild<QListWidget*>("Reports_Compare");
    ASSERT_EQ(chooser->count(), 2);
    EXPECT_EQ(chooser->item(0)->text(), "Sunday, December 06, 2026  09:00:00 AM\ndusk - overclock");
    EXPECT_EQ(chooser->item(1)->text(),
              "Saturday, December 05, 2026  10:15:00 AM\nbench1 - new driver");
    // Ticked as a user ticks them: the later report, then the overclock.
    chooser->item(1)->setCheckState(Qt::Checked);
    chooser->item(0)->setCheckState(Qt::Checked);
    ASSERT_TRUE(w.comparison());
    ASSERT_EQ(w.comparison()->reports.size(), 3u);

    auto* bars = barsOf(w.chart());
    ASSERT_NE(bars, nullptr);
    EXPECT_EQ(categoriesOf(w.chart()),
              (QStringList{"Normal 640x480", "Normal 1024x768", "High 640x480", "High 1024x768"}));
    QStringList labels;
    for (auto* set : bars->barSets())
        labels << set->label();
    EXPECT_EQ(labels, (QStringList{"December 04, 2026  07:30:05 PM, No Comment",
                                   "December 05, 2026  10:15:00 AM, new driver",
                                   "December 06, 2026  09:00:00 AM, overclock"}));
    // Absent settings stand as no bar (0), never a guess.
    EXPECT_EQ(valuesOf(bars), (std::vector<std::vector<double>>{{47.73, 35.50, 41.00, 30.23},
                                                                {52.73, 35.50, 41.00, 0},
                                                                {46.0, 0, 0, 31.0}}));
    // Error bars only where a setting ran more than once: 4 + 3, none for the single runs.
    EXPECT_EQ(marksOf(w.chart()).size(), 7u);

    const QString notes = w.findChild<QLabel*>("ChartNotes")->text();
    for (const char* said :
         {"<td>Normal 640x480</td><td>47.73</td><td>52.73, +10.5 % faster</td><td>46.0, -3.6 % "
          "one run: not judged</td>",
          "<td>Normal 1024x768</td><td>35.50</td><td>35.50, 0.0 % within noise</td><td>not "
          "held</td>",
          "<td>High 1024x768</td><td>30.23</td><td>not held</td><td>31.0, +2.5 % one run: not "
          "judged</td>",
          "December 06, 2026  09:00:00 AM, overclock</th>", "These reports are of different demos",
          "Differs: demo: bench1 \u2192 bench1 \u2192 dusk",
          "Differs: number of runs: 3 \u2192 3 \u2192 1",
          "Not compared: High 1024x768: not in December 05, 2026  10:15:00 AM, new driver",
          // Both headers ask for more than their reports hold.
          "Did not run in December 05, 2026  10:15:00 AM, new driver: High 1024x768",
          "Did not run in December 06, 2026  09:00:00 AM, overclock: Normal 1024x768, High "
          "640x480",
          "Differs: renderer: llvmpipe \u2192 radeonsi \u2192 system not recorded",
          "Differs: driver version: 4.5 Mesa 22.3.6 \u2192 4.6 Mesa 23.2.1 \u2192 system not "
          "recorded",
          "System not recorded: December 06, 2026  09:00:00 AM, overclock"})
        EXPECT_TRUE(notes.contains(QString::fromUtf8(said))) << said << "\n" << notes.toStdString();
    EXPECT_TRUE(w.findChild<QLabel*>("ChartRule")->text().contains("Welch's t-test"));
    EXPECT_EQ(w.findChild<QLabel*>("ChartComment")->text(),
              "Each judged against the first: December 04, 2026  07:30:05 PM, No Comment");

    // The table saved is the comparison's, one row per report and setting.
    const std::string csv = tmp.folder() + "compare.csv";
    dialogs.expectSaveChoice(csv);
    ASSERT_TRUE(w.saveCsv());
    const std::string saved = readFile(csv);
    EXPECT_EQ(saved.substr(0, saved.find("\r\n")),
              "report,date,comment,level,width,height,run1,run2,run3,mean,sd,change,verdict");
    EXPECT_NE(saved.find(",new driver,Normal,640,480,52.0,53.4,52.8,52.73,0.70,+10.5 %,faster\r\n"),
              std::string::npos)
        << saved;

    // The picture saved is the comparison's: every report's bars are in its chart
    // (the colour table under the chart is left out of the look).
    const std::string png = tmp.folder() + "compare.png";
    w.resize(1100, 820);
    dialogs.expectSaveChoice(png);
    ASSERT_TRUE(w.savePng());
    const QImage picture = QImage(QString::fromStdString(png)).convertToFormat(QImage::Format_RGB32);
    auto* area = w.findChild<QWidget*>("ChartArea");
    ASSERT_EQ(picture.size(), area->size());
    const QRect plot = w.findChild<QWidget*>("ChartView")->geometry();
    std::set<QRgb> colours;
    for (int y = plot.top(); y <= plot.bottom(); ++y)
        for (int x = plot.left(); x <= plot.right(); ++x)
            colours.insert(picture.pixel(x, y));
    for (auto* set : bars->barSets())
        EXPECT_TRUE(colours.count(set->color().rgb())) << set->label().toStdString();

    // Unticking the overclock leaves two, whose systems differ; unticking the
    // other ends the comparison.
    chooser->item(0)->setCheckState(Qt::Unchecked);
    ASSERT_EQ(w.comparison()->reports.size(), 2u);
    const QString two = w.findChild<QLabel*>("ChartNotes")->text();
    EXPECT_TRUE(two.contains(QString::fromUtf8("Differs: renderer: llvmpipe \u2192 radeonsi<br>")))
        << two.toStdString();
    EXPECT_FALSE(two.contains("System not recorded")) << two.toStdString();
    chooser->item(1)->setCheckState(Qt::Unchecked);
    EXPECT_FALSE(w.comparison());
    EXPECT_EQ(categoriesOf(w.chart()), (QStringList{"640x480", "1024x768"}));
}

TEST_F(ChartTest, MoreThanEightReportsAreRefused) {
    std::vector<std::string> archive{workedPath};
    for (int i = 0; i < 8; ++i) {
        archive.push_back(results + "FRWb_1205" + std::to_string(10 + i) + "_101500.txt");
        writeFile(archive.back(), worked());
    }
    chart::ChartWindow w(archive, dialogs);
    ASSERT_TRUE(w.open(workedPath));
    auto* chooser = w.findChild<QListWidget*>("Reports_Compare");
    ASSERT_EQ(chooser->count(), 8);
    for (int i = 0; i < 7; ++i)
        chooser->item(i)->setCheckState(Qt::Checked);
    EXPECT_EQ(w.comparison()->reports.size(), 8u);
    dialogs.expectMessage(
        "Up to eight reports can be compared at once: untick one before ticking another.");
    chooser->item(7)->setCheckState(Qt::Checked);
    EXPECT_EQ(chooser->item(7)->checkState(), Qt::Unchecked);
    EXPECT_EQ(w.comparison()->reports.size(), 8u);
}

TEST_F(ChartTest, DamagedReportsAreToldAndNotDrawn) {
    std::string foreign = results + "FRWb_notes.txt";
    writeFile(foreign, crlf({"shopping list"}));
    dialogs.expectMessage("Error - The report cannot be shown as a chart.\r\n\r\n" + foreign +
                          ", line 1: expected the title line of a Framewise report");
    chart::ChartWindow w({}, dialogs);
    EXPECT_FALSE(w.open(foreign));
}

TEST_F(ChartTest, SavesTheTableAsCsvAndTheChartAsPngAndNothingHalfWritten) {
    chart::ChartWindow w({workedPath}, dialogs);
    ASSERT_TRUE(w.open(workedPath));
    w.resize(800, 500);

    const std::string csv = tmp.folder() + "out.csv", png = tmp.folder() + "out.png";
    dialogs.expectSaveChoice(csv).expectSaveChoice(png);
    ASSERT_TRUE(w.saveCsv());
    const std::string report = "FRWb_120426_193005.txt,bench1,2026-12-04T19:30:05,";
    EXPECT_EQ(readFile(csv),
              "file,demo,startTime,level,width,height,run1,run2,run3,average,sd,min,max,spread,"
              "status\r\n" +
                  report + "Normal,640,480,48.0,47.4,47.8,47.73,0.31,47.4,48.0,0.6 %,complete\r\n" +
                  report +
                  "Normal,1024,768,35.2,35.8,35.5,35.50,0.30,35.2,35.8,0.8 %,complete\r\n" +
                  report + "High,640,480,40.5,41.5,41.0,41.00,0.50,40.5,41.5,1.2 %,complete\r\n" +
                  report + "High,1024,768,30.1,30.4,30.2,30.23,0.15,30.1,30.4,0.5 %,complete\r\n");
    ASSERT_TRUE(w.savePng());
    QImage image(QString::fromStdString(png));
    EXPECT_FALSE(image.isNull());
    EXPECT_GT(image.width(), 100);

    // A folder that is not there: told, and nothing left behind.
    const std::string nowhere = tmp.folder() + "missing/out.csv";
    dialogs.expectSaveChoice(nowhere);
    dialogs.expectMessage("Error - The table could not be saved as " + nowhere +
                          " (its folder does not exist).\r\n\r\nNothing was written.");
    EXPECT_FALSE(w.saveCsv());
    EXPECT_FALSE(fs::exists(nowhere));
    EXPECT_FALSE(fs::exists(nowhere + ".part"));

    dialogs.expectSaveChoice(""); // cancel writes nothing
    EXPECT_FALSE(w.saveCsv());
}

TEST_F(ChartTest, ChartButtonOpensTheChosenReportFromTheLoadedModule) {
    rememberGame();
    ASSERT_TRUE(window->Form_Load());
    window->setChartModule(FRAMEWISE_CHART_MODULE);
    auto* chartButton = get<QPushButton>("Chart");
    // Nothing chosen yet: Chart shows the newest report, ready to be compared.
    ASSERT_TRUE(chartButton->isEnabled());
    QTest::mouseClick(chartButton, Qt::LeftButton);
    auto* newest = window->findChild<QWidget*>("ChartWindow");
    ASSERT_NE(newest, nullptr);
    EXPECT_TRUE(newest->windowTitle().contains("FRWb_120526_101500.txt"))
        << newest->windowTitle().toStdString();
    newest->close();
    delete newest;

    auto* combo = get<QComboBox>("Combo_Results");
    int index = combo->findText(QString::fromStdString(workedPath));
    ASSERT_GE(index, 1);
    combo->setCurrentIndex(index);
    emit combo->activated(index);
    ASSERT_TRUE(chartButton->isEnabled());
    QTest::mouseClick(chartButton, Qt::LeftButton);

    auto* shown = window->findChild<QWidget*>("ChartWindow");
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(shown->isVisible());
    EXPECT_TRUE(shown->windowTitle().contains(QString::fromStdString(kWorkedName)));
    auto* compare = shown->findChild<QListWidget*>("Reports_Compare");
    ASSERT_NE(compare, nullptr);
    EXPECT_EQ(compare->count(), 1); // the other archived report
    shown->close();
}
