#include "app/framewise_form1.h"

#include "support/fakes.h"
#include "window_fixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

using namespace testing_support;

namespace {

std::string textOf(QWidget* w) {
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text().toStdString();
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text().toStdString();
    if (auto* g = qobject_cast<QGroupBox*>(w)) return g->title().toStdString();
    if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text().toStdString();
    if (auto* c = qobject_cast<QComboBox*>(w)) return c->currentText().toStdString();
    if (auto* t = qobject_cast<QPlainTextEdit*>(w)) return t->toPlainText().toStdString();
    return {};
}

const char* kT1 = "These configuration files were set up to match Q3 benchmarking standards.  Each "
                  "config file \"checked\" will be run against the other settings.";
const char* kT2 = "\"Check\" the resolutions you want to benchmark with.  Each resolution will be "
                  "run agaist the other settings.";
const char* kOpen = "Open the results text file up with Notepad";

enum State { Plain, On, Off, Disabled, OnDisabled, OffDisabled, Hidden };

struct Control {
    const char* name;
    const char* kind;
    const char* text;
    const char* place;
    State state = Plain;
    const char* tooltip = "";
};

const Control kControls[] = {
    {"Picture2", "QLabel", "", "window"},
    {"Picture3", "QLabel", "", "window"},
    {"Label10", "QLabel", "*Framewise requires the 1.2 version of Call Of Duty Multiplay",
     "tab MAIN"},
    {"Frame3", "QGroupBox", "Demo To Run", "tab MAIN"},
    {"DemoList", "QListWidget", "", "Frame3", Plain,
     "Tallywise automatically scans your Demos folder to list any extra demos you may have."},
    {"Label13", "QLabel",
     "*only one demo comes with CoD.  You can record new demos, or download new demos others have "
     "recorded.  The single built in demo is not very long or graphically harsh (about = to "
     "average play).  Benchmark results are a product of the graphic intensity of the demo used.",
     "Frame3"},
    {"Times_Frame", "QGroupBox", "Number Of Runs", "tab MAIN"},
    {"run1", "QRadioButton", "One Run Per Setting", "Times_Frame", Off,
     "Run each settings level one time only."},
    {"run2", "QRadioButton", "Two Runs Per Setting", "Times_Frame", Off,
     "Run each settings level two seperate times so that average results can be generated."},
    {"run3", "QRadioButton", "Three Runs Per Setting*", "Times_Frame", On,
     "Run each settings level three  seperate times so that average results can be generated."},
    {"Label14", "QLabel", "*provides more accurate results", "Times_Frame"},
    {"Detail_Choices", "QGroupBox", "Config Files To Run", "tab MAIN"},
    {"Check_lo", "QCheckBox", "Normal Detail Levels", "Detail_Choices", On, kT1},
    {"Check_hi", "QCheckBox", "HI Detail Levels", "Detail_Choices", On, kT1},
    {"Check_max", "QCheckBox", "MAX Detail Levels", "Detail_Choices", On, kT1},
    {"Check_custom", "QCheckBox", "Custom Detail Levels", "Detail_Choices", Off, kT1},
    {"Frame1", "QGroupBox", "Resolutions To Run", "tab MAIN"},
    {"Check0", "QCheckBox", "320 x 240", "Frame1", Off, kT2},
    {"Check1", "QCheckBox", "400 x 300", "Frame1", Off, kT2},
    {"Check2", "QCheckBox", "512 x 384", "Frame1", Off, kT2},
    {"Check3", "QCheckBox", "640 x 480", "Frame1", On, kT2},
    {"Check4", "QCheckBox", "800 x 600", "Frame1", On, kT2},
    {"Check5", "QCheckBox", "960 x 720", "Frame1", Off, kT2},
    {"Check6", "QCheckBox", "1024 x 768", "Frame1", On, kT2},
    {"Check7", "QCheckBox", "1152 x 864", "Frame1", Off, kT2},
    {"Check8", "QCheckBox", "1280 x 1024", "Frame1", On, kT2},
    {"Check9", "QCheckBox", "1600 x 1200", "Frame1", On, kT2},
    {"Check10", "QCheckBox", "2048 x 1536", "Frame1", Off, kT2},
    {"Check11", "QCheckBox", "856 x 480 (wide screen)", "Frame1", Off, kT2},
    {"Label9", "QLabel",
     "* Resolutions in red are not     supported by all video           cards and monitors.",
     "Frame1"},
    {"RUN", "QPushButton", "RUN", "tab MAIN"},
    {"Picture1", "QLabel", "", "tab MAIN"},

    {"Frame6", "QGroupBox", "CoD Menu: Graphics", "tab Custom Config"},
    {"Frame14", "QGroupBox", "Texture Quality", "Frame6"},
    {"opt_texture_16", "QRadioButton", "16 Bit Textures", "Frame14", Off},
    {"opt_texture_32", "QRadioButton", "32 Bit Textures", "Frame14", Off},
    {"Frame19", "QGroupBox", "Texture Filter", "Frame6"},
    {"opt_trilinear", "QRadioButton", "Trilinear", "Frame19", Off},
    {"opt_bilinear", "QRadioButton", "Bilinear", "Frame19", On},
    {"Frame11", "QGroupBox", "General Textures", "Frame6"},
    {"gen_text_0", "QRadioButton", "Extra", "Frame11", On},
    {"gen_text_1", "QRadioButton", "High", "Frame11", Off},
    {"gen_text_2", "QRadioButton", "Normal", "Frame11", Off},
    {"gen_text_3", "QRadioButton", "Lowest", "Frame11", Off},
    {"Frame17", "QGroupBox", "Character Textures", "Frame6"},
    {"chr_text_0", "QRadioButton", "Extra", "Frame17", On},
    {"chr_text_1", "QRadioButton", "High", "Frame17", Off},
    {"chr_text_2", "QRadioButton", "Normal", "Frame17", Off},
    {"chr_text_3", "QRadioButton", "Lowest", "Frame17", Off},
    {"Frame20", "QGroupBox", "CoD Menu: Performance", "tab Custom Config"},
    {"Frame21", "QGroupBox", "Model Detail", "Frame20"},
    {"op_md_min", "QRadioButton", "Minimum", "Frame21", Off},
    {"op_md_lo", "QRadioButton", "Low", "Frame21", Off},
    {"op_md_nr", "QRadioButton", "Normal", "Frame21", Off},
    {"op_md_max", "QRadioButton", "Maximum", "Frame21", On},
    {"Frame12", "QGroupBox", "World Dynamic Light Quality", "Frame20"},
    {"opt_wdl_n", "QRadioButton", "Nicest", "Frame12", On},
    {"opt_wdl_f", "QRadioButton", "Fastest", "Frame12", Off},
    {"Frame18", "QGroupBox", "Dynamic Lights", "Frame20"},
    {"opt_dl_no", "QRadioButton", "None", "Frame18", Off},
    {"opt_dl_mo", "QRadioButton", "Models Only", "Frame18", Off},
    {"opt_dl_ev", "QRadioButton", "Everything", "Frame18", On},
    {"check_brass", "QCheckBox", "Ejecting Brass", "Frame20", On},
    {"check_wall", "QCheckBox", "Wall Marks", "Frame20", On},
    {"opt_blood", "QCheckBox", "Draw Blood", "Frame20", On},
    {"Frame9", "QGroupBox", "Hidden Config File Settings", "tab Custom Config"},
    {"Frame13", "QGroupBox", "", "Frame9"},
    {"Check13", "QCheckBox", "Draw Gun", "Frame9", OnDisabled},
    {"Frame10", "QGroupBox", "Color", "Frame9", Disabled},
    {"Option3", "QRadioButton", "16 Bit", "Frame10", OffDisabled},
    {"Option2", "QRadioButton", "32 Bit", "Frame10", OnDisabled},
    {"Check12", "QCheckBox", "Fast Sky", "Frame9", OffDisabled},
    {"Label1", "QLabel", "Working On It.....", "Frame9"},
    {"Load_low", "QPushButton", "Load Framewise Low", "tab Custom Config"},
    {"Load_Hi", "QPushButton", "Load Framewise Hi", "tab Custom Config"},
    {"Load_Max", "QPushButton", "Load Framewise Max", "tab Custom Config"},
    {"Load_Optimized", "QPushButton", "Load CoD Optimized", "tab Custom Config"},

    {"Label3", "QLabel", "CoD Benchmark Results", "tab Compile Results"},
    {"text_current", "QLabel", "Current:", "tab Compile Results"},
    {"resultsloc", "QLineEdit", "", "tab Compile Results", Disabled},
    {"resultopen", "QPushButton", "open", "tab Compile Results", Plain, kOpen},
    {"Label2", "QLabel", "Archive:", "tab Compile Results"},
    {"Combo_Results", "QComboBox", "Combo_Results", "tab Compile Results"},
    {"open_results", "QPushButton", "open", "tab Compile Results", Plain, kOpen},
    {"Label4", "QLabel", "Preview:", "tab Compile Results"},
    {"ResultsText", "QPlainTextEdit", "", "tab Compile Results"},
    {"MakeResults", "QPushButton", "Generate Results", "tab Compile Results", Plain,
     "Make the results!"},
    {"Excel", "QPushButton", "EXCEL", "tab Compile Results"},
    {"EXCELFRAME", "QGroupBox", "", "tab Compile Results", Hidden},
    {"GenerateEXCEL", "QPushButton", "GENERATE RESULTS TO EXCEL", "EXCELFRAME"},
    {"RefindExcelPath", "QPushButton", "UPDATE EXCEL PATH", "EXCELFRAME"},
    {"Label19", "QLabel", "EXCEL PATH:", "EXCELFRAME"},
    {"ExcelPathTextBox", "QLineEdit", "", "EXCELFRAME", Disabled},
    {"BACKFROMEXEL", "QPushButton", "BACK", "EXCELFRAME"},
    {"Label6", "QLabel", "NOTE:  A result text file will not be generated or stored.",
     "EXCELFRAME"},
    {"Label20", "QLabel",
     "Warning:   While this feature appears to work in all our testing, the rush of keystrokes "
     "sent to Excel could have unpredictable results if an error occurs.",
     "EXCELFRAME"},

    {"Label7", "QLabel", "Advanced", "tab Advanced"},
    {"Frame7", "QGroupBox", "", "tab Advanced"},
    {"dloop", "QCheckBox", "Run benchmaks in a loop?", "Frame7", Off,
     "When the benchmark results are done they will start over (and over) again.  Results will "
     "still be generated and the demo runs won't stop until you interrupt Quake3"},
    {"Frame5", "QGroupBox", "Run Up to 'X' Times Before Condump?", "tab Advanced"},
    {"ThreeDump", "QRadioButton", "Up to 3 results per condump (default)", "Frame5", On,
     "This is how many results can be listed in the console before a console dump is forced.  Up "
     "to 3 fps results before dumping seems to work best and is the default."},
    {"Option1", "QRadioButton", "Only 1 result per condump", "Frame5", Off,
     "Large demos can cause a problem (demos over 1/2 a Meg).  This setting dumps the console "
     "more often (before it fills up and overscrolls)."},
    {"Label11", "QLabel",
     "You should only use \"1 result per condump\" if you are using a very large demo that does "
     "not work right with the default setting.",
     "tab Advanced"},
    {"Frame2", "QGroupBox", "Call Of Duty Location:", "tab Advanced"},
    {"TEXT_BOX_COD_Path", "QLineEdit", "Text1", "Frame2", Disabled},
    {"UpdateCODLoc", "QPushButton", "UpdateCall Of Duty Folder/EXE Location", "Frame2", Plain,
     "Re-find your Quake3 Folder."},

    {"Label8", "QLabel", "Framewise Homepage", "tab About / Help"},
    {"Label5", "QLabel",
     "Framewise is a Veltrix freeware application for automatic Call Of Duty benchmarks.",
     "tab About / Help"},
    {"Label12", "QLabel", "Framewise Veltrix Forum", "tab About / Help"},
    {"Command1", "QPushButton", "Framewise Guide TextFile", "tab About / Help"},
    {"demohelp", "QPushButton", "ReadMe Textfile", "tab About / Help"},
    {"Picture4", "QLabel", "", "tab About / Help"},
};

TEST_F(WindowTest, EveryControlHasItsKindCaptionTooltipStateAndPlace) {
    for (const auto& c : kControls) {
        SCOPED_TRACE(c.name);
        auto* w = get(c.name);
        if (!w) continue;
        EXPECT_TRUE(w->inherits(c.kind)) << w->metaObject()->className();
        EXPECT_EQ(textOf(w), c.text);
        EXPECT_EQ(w->toolTip().toStdString(), c.tooltip);
        EXPECT_EQ(placeOf(w), c.place);
        const bool disabled =
            c.state == Disabled || c.state == OnDisabled || c.state == OffDisabled;
        EXPECT_EQ(w->isEnabled(), !disabled);
        EXPECT_EQ(w->isHidden(), c.state == Hidden);
        if (auto* b = qobject_cast<QAbstractButton*>(w); b && b->isCheckable()) {
            EXPECT_EQ(b->isChecked(), c.state == On || c.state == OnDisabled);
        }
    }
}

TEST_F(WindowTest, WindowTabsPicturesAndLook) {
    EXPECT_EQ(window->objectName(), "Framewise_Form1");
    EXPECT_EQ(window->windowTitle().toStdString(), "Framewise  v 1.0.0 Public Beta ");
    EXPECT_FALSE(window->windowIcon().isNull());

    std::vector<std::string> captions;
    for (int i = 0; i < tabs()->count(); ++i)
        captions.push_back(tabs()->tabText(i).toStdString());
    EXPECT_EQ(captions, (std::vector<std::string>{"MAIN", "Custom Config", "Compile Results",
                                                  "Advanced", "About / Help"}));
    EXPECT_EQ(tabs()->currentIndex(), 0);

    for (const char* name : {"Picture1", "Picture2", "Picture3", "Picture4"}) {
        SCOPED_TRACE(name);
        auto* pic = get<QLabel>(name);
        EXPECT_FALSE(pic->pixmap().isNull());
        EXPECT_FALSE(pic->accessibleDescription().isEmpty());
    }
    for (const char* name : {"RUN", "Label8", "Label12", "Picture3", "Picture4"})
        EXPECT_EQ(get(name)->cursor().shape(), Qt::BitmapCursor) << name;

    const QColor red(255, 0, 0);
    for (const char* name : {"Label10", "Check7", "Check8", "Check9", "Check10", "Check11"})
        EXPECT_EQ(get(name)->palette().color(QPalette::WindowText), red) << name;
    EXPECT_NE(get("Check6")->palette().color(QPalette::WindowText), red);

    QFont preview = get("ResultsText")->font();
    EXPECT_EQ(preview.pointSize(), 9);
    QFontMetrics metrics(preview);
    EXPECT_EQ(metrics.horizontalAdvance(QLatin1Char('i')),
              metrics.horizontalAdvance(QLatin1Char('W')));
    EXPECT_EQ(get<QListWidget>("DemoList")->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_TRUE(get<QComboBox>("Combo_Results")->isEditable());
}

TEST_F(WindowTest, OptionButtonsAreExclusiveWithinTheirFrameOnly) {
    get<QRadioButton>("run1")->click();
    get<QRadioButton>("Option1")->click();
    get<QRadioButton>("opt_texture_16")->click();
    EXPECT_FALSE(get<QRadioButton>("run3")->isChecked());
    EXPECT_FALSE(get<QRadioButton>("ThreeDump")->isChecked());
    EXPECT_TRUE(get<QRadioButton>("opt_bilinear")->isChecked());
    auto c = window->runChoices();
    EXPECT_EQ(c.runs, 1);
    EXPECT_FALSE(c.threePerDump);
    EXPECT_TRUE(window->customSettings().opt_texture_16);
}

TEST_F(WindowTest, ClickingAnyTabHidesTheSpreadsheetPanel) {
    window->show();
    auto* bar = tabs()->tabBar();
    auto* panel = get("EXCELFRAME");
    for (int tab : {2, 0, 4}) {
        SCOPED_TRACE(tab);
        tabs()->setCurrentIndex(2);
        window->setExcelFrameVisible(true);
        ASSERT_TRUE(panel->isVisible());
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(tab).center());
        EXPECT_TRUE(panel->isHidden());
        EXPECT_EQ(tabs()->currentIndex(), tab);
    }
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center());
    EXPECT_TRUE(panel->isHidden());
}

TEST_F(WindowTest, InertButtonsDoNothing) {
    auto before = window->runChoices();
    for (const char* name : {"RefindExcelPath", "demohelp"})
        get<QPushButton>(name)->click();
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_TRUE(launcher.calls.empty());
    EXPECT_EQ(window->runChoices().runs, before.runs);
}

TEST_F(WindowTest, ChoicesStartAsTheDefaultsAndPresetsRoundTrip) {
    auto c = window->runChoices();
    bench::RunChoices defaults;
    EXPECT_EQ(c.levels, defaults.levels);
    EXPECT_EQ(c.resolutions, defaults.resolutions);
    EXPECT_EQ(c.runs, 3);
    EXPECT_TRUE(c.threePerDump);
    EXPECT_FALSE(c.loop);
    EXPECT_EQ(window->customSettings(), bench::CustomSettings{});

    bench::CustomSettings s;
    s.chr_text = {false, false, false, true};
    s.gen_text = {false, false, true, false};
    s.opt_trilinear = true, s.opt_bilinear = false;
    s.opt_texture_16 = false, s.opt_texture_32 = true;
    s.check_wall = false, s.opt_blood = false;
    s.opt_dl_no = true, s.opt_dl_ev = false;
    s.opt_wdl_f = true, s.opt_wdl_n = false;
    s.op_md_lo = true, s.op_md_max = false;
    window->applyCustomSettings(s);
    EXPECT_EQ(window->customSettings(), s);
    // A preset may leave a frame with nothing selected.
    window->applyCustomSettings(bench::CustomSettings{});
    EXPECT_EQ(window->customSettings(), bench::CustomSettings{});
}

TEST_F(WindowTest, FormLoadListsDemosAndReportsNewestLast) {
    rememberGame();
    writeFile(game.demos() / "a.dm_2", "demo");
    const std::string results = resultsFolder;
    for (const char* report : {"FRWb_A.txt", "FRWb_B.txt", "FRWb_C.txt"})
        writeFile(results + report, "report");
    window->setResultsText("left over");

    ASSERT_TRUE(window->Form_Load());
    EXPECT_FALSE(window->ended());
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(registry.reads, 0);

    auto* demos = get<QListWidget>("DemoList");
    ASSERT_EQ(demos->count(), 2);
    EXPECT_EQ(demos->item(0)->text(), "a.dm_2");
    EXPECT_EQ(demos->item(1)->text(), "bench1.dm_2");
    EXPECT_EQ(window->runChoices().selectedDemo, 0);

    EXPECT_EQ(textOf(get("TEXT_BOX_COD_Path")), folderValue(game.root));
    EXPECT_FALSE(get("TEXT_BOX_COD_Path")->isEnabled());
    EXPECT_EQ(window->folders().mainFolder, folderValue(game.root / "MAIN"));
    EXPECT_EQ(window->archiveItems(),
              (std::vector<std::string>{"Previously Generated Results", results + "FRWb_C.txt",
                                        results + "FRWb_B.txt", results + "FRWb_A.txt"}));
    EXPECT_EQ(window->archiveText(), "Previously Generated Results");
    EXPECT_EQ(window->resultsText(), "");
}

TEST_F(WindowTest, FormLoadWithoutResultsFolderOrDemos) {
    rememberGame();
    std::filesystem::remove(game.demos() / "bench1.dm_2");
    ASSERT_TRUE(window->Form_Load());
    EXPECT_EQ(window->archiveItems(), std::vector<std::string>{"Previously Generated Results"});
    EXPECT_EQ(get<QListWidget>("DemoList")->count(), 0);
    EXPECT_EQ(window->runChoices().selectedDemo, -1);
}

TEST_F(WindowTest, FormLoadEndsTheProgramWhenTheGameIsNotFound) {
    dialogs
        .expectMessage("Framewise was unable to find the location of\r\n\"CoDMP.exe\"in the "
                       "registry.\r\n  \r\nPlease Locate CoDMP.exe:")
        .expectFileCancel();
    EXPECT_FALSE(window->Form_Load());
    EXPECT_TRUE(window->ended());
    EXPECT_TRUE(namesIn(appFolder).empty());
}

TEST_F(WindowTest, FormLoadEndsWithoutPakFilesAndKeepsTheFile) {
    rememberGame();
    std::filesystem::remove(game.main() / "pak0.pk3");
    dialogs.expectMessage("ERROR!  No CallOfDuty PAK Files Detected!");
    EXPECT_FALSE(window->Form_Load());
    EXPECT_TRUE(window->ended());
    EXPECT_EQ(namesIn(appFolder), std::vector<std::string>{"CoD_path.ini"});
}

TEST_F(WindowTest, RelocationButtonShowsTheNewGameAndItsDemos) {
    rememberGame();
    ASSERT_TRUE(window->Form_Load());
    auto other = makeGameInstall(tmp.path() / "other");
    std::filesystem::remove(other.demos() / "bench1.dm_2");
    writeFile(other.demos() / "night.dm_2", "demo");
    dialogs.expectMessage("Please Locate CoDMP.exe:")
        .expectFileChoice((other.root / "CoDMP.exe").string())
        .expectMessage("Is: \"" + folderValue(other.root) + "\"  the correct path to CallOfDuty?",
                       core::Answer::Yes);
    get<QPushButton>("UpdateCODLoc")->click();
    EXPECT_FALSE(window->ended());
    EXPECT_EQ(textOf(get("TEXT_BOX_COD_Path")), folderValue(other.root));
    auto* demos = get<QListWidget>("DemoList");
    ASSERT_EQ(demos->count(), 1);
    EXPECT_EQ(demos->item(0)->text(), "night.dm_2");
    EXPECT_EQ(window->folders().gameFolder, folderValue(other.root));
}

TEST_F(WindowTest, RelocationToOpenArenaNamesTheGameAndRunsItInItsOwnFiles) {
    rememberGame();
    ASSERT_TRUE(window->Form_Load());
    // The program and its data in one folder; the player's files in a home folder.
    const auto oa = tmp.path() / "openarena";
    writeFile(oa / "openarena", "program");
    writeFile(oa / "baseoa" / "pak0.pk3", "pak");
    writeFile(oa / "baseoa" / "demos" / "arena.dm_71", "demo");
    // The player's home for the game's write folder, given back at the end.
    const ScopedHome homeSet(tmp.path() / "home");
    dialogs.expectMessage("Please Locate CoDMP.exe:")
        .expectFileChoice((oa / "openarena").string())
        .expectMessage("Is: \"" + oa.string() + "/\"  the correct path to OpenArena?",
                       core::Answer::Yes);
    get<QPushButton>("UpdateCODLoc")->click();
    ASSERT_FALSE(window->ended());
    EXPECT_EQ(window->windowTitle().toStdString(), "Framewise  v 1.0.0 Public Beta - OpenArena");
    EXPECT_EQ(window->folders().game, &core::openArenaProfile());
    EXPECT_EQ(window->folders().mainFolder,
              (tmp.path() / "home" / ".openarena" / "baseoa").string() + "/");
    auto* demos = get<QListWidget>("DemoList");
    ASSERT_EQ(demos->count(), 1);
    EXPECT_EQ(demos->item(0)->text(), "arena.dm_71");
    // RUN tells in the game's words what it needs.
    dialogs.expectMessage("ERROR: The game's config file \"" + window->folders().mainFolder +
                          "q3config.cfg\" was not found.\r\n\r\nStart OpenArena once so that it "
                          "creates its config file, then press RUN again.\r\nThe game was not "
                          "started.");
    get<QPushButton>("RUN")->click();
    EXPECT_FALSE(window->ended());
    EXPECT_TRUE(launcher.calls.empty());
}

} // namespace
