#pragma once
// The one window of the tool. Controls keep their names (objectName too); the
// slots named after a control and its event are its handlers.
#include "bench/choices.h"
#include "core/dialogs.h"
#include "core/folders.h"
#include "core/game_dialogs.h"
#include "platform/clock.h"
#include "platform/keys.h"
#include "platform/launcher.h"
#include "platform/registry.h"
#include "platform/shell.h"

#include <QCursor>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

class ClickLabel;
class HomePathFrame;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace locate {
struct Outcome;
}
namespace archive {
struct ExcelPanel;
}

// What the window works with, supplied by main() or by a test.
struct WindowServices {
    core::Dialogs& dialogs;
    platform::Registry& registry;
    platform::Launcher& launcher;
    platform::Shell& shell;
    platform::Clock& clock;
    platform::KeySender& keys;
    std::string appFolder; // the tool's small files (platform::ToolFolders::settings)
    std::string dataFolder = {};    // holds "User Results"; empty: appFolder
    std::string programFolder = {}; // holds the guide; empty: appFolder
};

// What the Chart button says where no chart window was built, naming the report.
std::string noChartWindowText(const std::string& report);

class Framewise_Form1 : public QWidget {
    Q_OBJECT
  public:
    explicit Framewise_Form1(WindowServices services, QWidget* parent = nullptr);

    // Start-up after the single-copy check: finds the game, lists demos and
    // reports. False when the program ends instead (the window is closed).
    bool Form_Load();
    // True once a flow has ended the program.
    bool ended() const { return ended_; }

    const core::GameFolders& folders() const { return folders_; }

    bench::RunChoices runChoices() const;
    bench::CustomSettings customSettings() const;
    void applyCustomSettings(const bench::CustomSettings& s);

    void setResultsLocation(const std::string& path); // resultsloc
    void setResultsText(const std::string& text);     // ResultsText
    std::string resultsText() const;
    // Combo_Results: the items, and its text set to the first one.
    void setArchiveItems(const std::vector<std::string>& items);
    std::vector<std::string> archiveItems() const;
    std::string archiveText() const;
    // Combo_Results rebuilt from the results folder.
    void rebuildResultsList();
    // The report a chart would show: the archive's choice, else the report of this run.
    std::string chartReport() const;
    // The chart window's module; beside the program unless set.
    void setChartModule(const std::string& path) { chartModule_ = path; }

    void setExcelFrameVisible(bool visible);    // EXCELFRAME
    void setExcelPath(const std::string& path); // ExcelPathTextBox

    // Closes every window: the program ends.
    void endProgram();

  private slots:
    void SSTab1_Click();
    void UpdateCODLoc_Click();
    void RUN_Click();
    void MakeResults_Click();
    void Load_low_Click();
    void Load_Hi_Click();
    void Load_Max_Click();
    void Load_Optimized_Click();
    void Command1_Click();
    void Label8_Click();
    void Label12_Click();
    void Picture3_Click();
    void Picture4_Click();
    void Combo_Results_Click();
    void open_results_Click();
    void resultopen_Click();
    void Chart_Click();
    void Excel_Click();
    void BACKFROMEXEL_Click();
    void GenerateEXCEL_Click();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildMainTab(QWidget* page);
    void buildCustomTab(QWidget* page);
    void buildResultsTab(QWidget* page);
    void buildAdvancedTab(QWidget* page);
    void buildAboutTab(QWidget* page);
    void connectHandlers();
    void updateChartButton();
    std::string chartModule_;
    void applyLocation(const locate::Outcome& outcome);
    void applyExcelPanel(const archive::ExcelPanel& panel);

    core::Dialogs& dialogs_;
    platform::Registry& registry_;
    platform::Launcher& launcher_;
    platform::Shell& shell_;
    platform::Clock& clock_;
    platform::KeySender& keys_;
    std::string appFolder_;
    std::string dataFolder_;
    std::string programFolder_;
    core::GameFolders folders_;
    // The dialogs of the flows that work on the game, in its own names.
    core::GameNamedDialogs gameDialogs_{dialogs_, core::codProfile()};
    std::unique_ptr<core::GameNamedDialogs> otherGameDialogs_;
    core::Dialogs& gameDialogs() {
        return otherGameDialogs_ ? static_cast<core::Dialogs&>(*otherGameDialogs_) : gameDialogs_;
    }
    bool ended_ = false;
    QCursor linkCursor_;

    ClickLabel* Picture2 = nullptr;
    ClickLabel* Picture3 = nullptr;
    QTabWidget* SSTab1 = nullptr;

    // MAIN
    QLabel* Label10 = nullptr;
    QGroupBox* Frame3 = nullptr;
    QListWidget* DemoList = nullptr;
    QLabel* Label13 = nullptr;
    QGroupBox* Times_Frame = nullptr;
    QRadioButton *run1 = nullptr, *run2 = nullptr, *run3 = nullptr;
    QLabel* Label14 = nullptr;
    QGroupBox* Detail_Choices = nullptr;
    QCheckBox *Check_lo = nullptr, *Check_hi = nullptr, *Check_max = nullptr,
              *Check_custom = nullptr;
    QGroupBox* Frame1 = nullptr;
    QCheckBox* Check[bench::kResolutionCount] = {};
    QLabel* Label9 = nullptr;
    QPushButton* RUN = nullptr;
    ClickLabel* Picture1 = nullptr;

    // Custom Config
    QGroupBox *Frame6 = nullptr, *Frame14 = nullptr, *Frame19 = nullptr, *Frame11 = nullptr,
              *Frame17 = nullptr;
    QRadioButton *opt_texture_16 = nullptr, *opt_texture_32 = nullptr;
    QRadioButton *opt_trilinear = nullptr, *opt_bilinear = nullptr;
    QRadioButton* gen_text[4] = {};
    QRadioButton* chr_text[4] = {};
    QGroupBox *Frame20 = nullptr, *Frame21 = nullptr, *Frame12 = nullptr, *Frame18 = nullptr;
    QRadioButton *op_md_min = nullptr, *op_md_lo = nullptr, *op_md_nr = nullptr,
                 *op_md_max = nullptr;
    QRadioButton *opt_wdl_n = nullptr, *opt_wdl_f = nullptr;
    QRadioButton *opt_dl_no = nullptr, *opt_dl_mo = nullptr, *opt_dl_ev = nullptr;
    QCheckBox *check_brass = nullptr, *check_wall = nullptr, *opt_blood = nullptr;
    QGroupBox *Frame9 = nullptr, *Frame13 = nullptr, *Frame10 = nullptr;
    QCheckBox *Check13 = nullptr, *Check12 = nullptr;
    QRadioButton *Option3 = nullptr, *Option2 = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton *Load_low = nullptr, *Load_Hi = nullptr, *Load_Max = nullptr,
                *Load_Optimized = nullptr;

    // Compile Results
    QWidget* resultsPage = nullptr;
    QLabel *Label3 = nullptr, *text_current = nullptr, *Label2 = nullptr, *Label4 = nullptr;
    QLineEdit* resultsloc = nullptr;
    QPushButton *resultopen = nullptr, *open_results = nullptr, *MakeResults = nullptr,
                *Excel = nullptr;
    QComboBox* Combo_Results = nullptr;
    QPushButton* Chart = nullptr;
    QPlainTextEdit* ResultsText = nullptr;
    QGroupBox* EXCELFRAME = nullptr;
    QPushButton *GenerateEXCEL = nullptr, *RefindExcelPath = nullptr, *BACKFROMEXEL = nullptr;
    QLabel *Label19 = nullptr, *Label6 = nullptr, *Label20 = nullptr;
    QLineEdit* ExcelPathTextBox = nullptr;

    // Advanced
    QLabel *Label7 = nullptr, *Label11 = nullptr;
    QGroupBox *Frame7 = nullptr, *Frame5 = nullptr, *Frame2 = nullptr;
    QCheckBox* dloop = nullptr;
    QRadioButton *ThreeDump = nullptr, *Option1 = nullptr;
    QLineEdit* TEXT_BOX_COD_Path = nullptr;
    QPushButton* UpdateCODLoc = nullptr;
    HomePathFrame* HomePath = nullptr; // a game's own home folder; hidden for Call of Duty

    // About / Help
    ClickLabel *Label8 = nullptr, *Label12 = nullptr, *Picture4 = nullptr;
    QLabel* Label5 = nullptr;
    QPushButton *Command1 = nullptr, *demohelp = nullptr;
};
