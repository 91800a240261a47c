// File names that are not valid text in the system's code page (a demo named
// "caf\xe9" on a UTF-8 desktop) keep their bytes from the folder listing through
// the window's controls to the game's scripts, and back into the results list.
#include "window_fixture.h"

#include "app/qt_text.h"

#include "platform/launcher.h"

#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <chrono>
#include <thread>

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

const std::string kDemo = "caf\xe9";
const std::string kFigures = "99.9 61.5\n"; // warm-up, then the one measured run

bool waitFor(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

std::string toolFilesText(const fs::path& main) {
    std::string text;
    for (const auto& e : fs::directory_iterator(main))
        if (e.path().filename().string().rfind("FRWb_", 0) == 0) text += readFile(e.path());
    return text;
}

} // namespace

// RUN on the window, the stand-in game plays what the scripts say, and the next
// start's Generate Results compiles it: the whole road through the window.
class StandInRun : public WindowTest {
  protected:
    void runAndCompile(const std::string& demo) {
        fs::copy_file(GAMESIM_PROGRAM, game.root / "CoDMP.exe",
                      fs::copy_options::overwrite_existing);
        fs::rename(game.demos() / "bench1.dm_2", game.demos() / (demo + ".dm_2"));
        writeFile(game.demos() / (demo + ".fps"), kFigures);
        writeFile(appFolder + "user1.ini", crlf({"E04F32BC300"}));
        rememberGame();
        ASSERT_TRUE(window->Form_Load());
        auto* demos = get<QListWidget>("DemoList");
        ASSERT_EQ(demos->count(), 1);
        ASSERT_TRUE(demos->item(0)->isSelected());

        get<QCheckBox>("Check_lo")->setChecked(true);
        for (const char* level : {"Check_hi", "Check_max", "Check_custom"})
            get<QCheckBox>(level)->setChecked(false);
        for (int i = 0; i < 12; ++i)
            get<QCheckBox>(("Check" + std::to_string(i)).c_str())->setChecked(i == 3);
        get<QRadioButton>("run1")->setChecked(true);
        dialogs.expectInput("No Comment");
        QTest::mouseClick(get<QPushButton>("RUN"), Qt::LeftButton);
        ASSERT_EQ(launcher.calls.size(), 1u);
        EXPECT_NE(toolFilesText(game.main()).find("demo " + demo + ";"), std::string::npos);

        // The stand-in game plays the demo the scripts name, as the real one would.
        const std::string configBefore = readFile(game.main() / "config_mp.cfg");
        ASSERT_TRUE(platform::systemLauncher()
                        ->startGame(launcher.calls[0].workingFolder, launcher.calls[0].commandLine)
                        .started);
        ASSERT_TRUE(
            waitFor([&] { return readFile(game.main() / "config_mp.cfg") != configBefore; }));

        // The tool's next start compiles the run: figures, no early end.
        window = std::make_unique<Framewise_Form1>(
            WindowServices{dialogs, registry, launcher, shell, clock, keys, appFolder});
        ASSERT_TRUE(window->Form_Load());
        dialogs.expectMessage(
            "CODconfig.bak has been restored to CODconfig.cfg\r\n\r\nAll Framewise "
            "related files have been removed from your CallOfDuty Directory.");
        QTest::mouseClick(get<QPushButton>("MakeResults"), Qt::LeftButton);
        const std::string preview = window->resultsText();
        EXPECT_NE(preview.find("DEMO:  " + demo), std::string::npos) << preview;
        EXPECT_NE(preview.find("61.5"), std::string::npos) << preview;
    }
};

TEST_F(StandInRun, RunAndGenerateResultsGoThroughOnTheStandInGame) {
    runAndCompile("bench2");
}

TEST_F(StandInRun, ANameThatIsNotValidTextKeepsItsBytesFromListToScriptsAndBack) {
    runAndCompile(kDemo);
}

TEST_F(WindowTest, AReportWhoseNameIsNotValidTextIsPreviewedAndOpened) {
    rememberGame();
    const std::string report = resultsFolder + "FRWb_caf\xe9.txt";
    writeFile(report, crlf({"the report"}));
    ASSERT_TRUE(window->Form_Load());
    auto* combo = get<QComboBox>("Combo_Results");
    ASSERT_EQ(combo->count(), 2);
    combo->setCurrentIndex(1);
    emit combo->activated(1);
    EXPECT_EQ(window->resultsText(), "\nthe report");
    QTest::mouseClick(get<QPushButton>("open_results"), Qt::LeftButton);
    ASSERT_EQ(launcher.calls.size(), 1u);
    EXPECT_EQ(launcher.calls[0].commandLine, report);
}

// Every byte string comes back whole from a control's text; what is valid shows as
// its characters.
TEST(ControlText, KeepsEveryByteAndShowsValidTextAsItIs) {
    app();
    const std::string cases[] = {"plain",
                                 "caf\xe9",
                                 "caf\xc3\xa9",
                                 "\xc3",
                                 "\x80\xbf",
                                 "\xc0\x80",
                                 "\xed\xa0\x80",
                                 "\xf4\x90\x80\x80",
                                 "\xe2\x82",
                                 "a\xf0\x9f\x98\x80"
                                 "b",
                                 "\xf0\x9f\x98\x80\xe9",
                                 std::string("\xff\xfe", 2)};
    for (const auto& bytes : cases) {
        QListWidget list;
        list.addItem(toQt(bytes));
        EXPECT_EQ(fromQt(list.item(0)->text()), bytes) << testing::PrintToString(bytes);
    }
    EXPECT_EQ(toQt("caf\xc3\xa9"), QStringLiteral("caf\u00e9"));
    EXPECT_EQ(toQt("a\xf0\x9f\x98\x80"
                   "b")
                  .size(),
              4); // one surrogate pair
}
