#include "app/framewise_form1.h"

#include "app/click_label.h"
#include "app/home_path_frame.h"
#include "app/qt_text.h"
#include "app/resource_picture.h"
#include "archive/browser.h"
#include "archive/sheet_export.h"
#include "bench/presets.h"
#include "bench/run_command.h"
#include "help/help.h"
#include "results/archive_list.h"
#include "results/make_results.h"
#include "locate/game_folder_guard.h"
#include "locate/locate.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLibrary>
#include <QEvent>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

constexpr const char* kCaption = "Framewise  v 1.0.0 Public Beta ";

constexpr const char* kTipDetail =
    "These configuration files were set up to match Q3 benchmarking standards.  Each config file "
    "\"checked\" will be run against the other settings.";
constexpr const char* kTipResolutions = "\"Check\" the resolutions you want to benchmark with.  "
                                        "Each resolution will be run agaist the other settings.";
constexpr const char* kTipOpenResults = "Open the results text file up with Notepad";

struct Resolution {
    const char* caption;
    bool checked;
    bool red; // not every card and monitor shows it
};
constexpr Resolution kResolutions[bench::kResolutionCount] = {
    {"320 x 240", false, false},  {"400 x 300", false, false},
    {"512 x 384", false, false},  {"640 x 480", true, false},
    {"800 x 600", true, false},   {"960 x 720", false, false},
    {"1024 x 768", true, false},  {"1152 x 864", false, true},
    {"1280 x 1024", true, true},  {"1600 x 1200", true, true},
    {"2048 x 1536", false, true}, {"856 x 480 (wide screen)", false, true},
};

const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);
const QColor kDarkBlue(0, 0, 128);
const QColor kLightBlue(30, 144, 255);

QString q(const char* text) {
    return QString::fromLatin1(text);
}

void paint(QWidget* w, const QColor& c) {
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, c);
    p.setColor(QPalette::ButtonText, c);
    w->setPalette(p);
}

void embolden(QWidget* w, int pointSize = 0, bool underline = false) {
    QFont f = w->font();
    f.setBold(true);
    f.setUnderline(underline);
    if (pointSize) f.setPointSize(pointSize);
    w->setFont(f);
}

// A family is asked of the font list rather than matched: matching a family that
// is not installed loads a font and searches the fallbacks, a few milliseconds of
// start-up each.
QFont fixedFont() {
    QFont f(q("Lucida Console"), 9);
    if (!QFontDatabase::hasFamily(f.family())) {
        f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        f.setPointSize(9);
        // The system's fixed font may be missing too (Wine without Windows fonts
        // names Courier New): then any installed fixed-pitch family.
        if (!QFontDatabase::hasFamily(f.family())) {
            for (const QString& family : QFontDatabase::families()) {
                if (QFontDatabase::isFixedPitch(family)) {
                    f.setFamily(family);
                    break;
                }
            }
        }
    }
    return f;
}

// Where Arial Narrow is missing, the window's own family, condensed.
QFont narrowFont(const QFont& base) {
    QFont f(base);
    if (QFontDatabase::hasFamily(q("Arial Narrow"))) f.setFamily(q("Arial Narrow"));
    f.setPointSize(base.pointSize() > 0 ? base.pointSize() : 9);
    f.setStretch(QFont::Condensed);
    return f;
}

QPixmap resourcePicture(const char* path) {
    return QPixmap::fromImage(readResourcePicture(q(path)));
}


template <class W> W* named(W* w, const char* name) {
    w->setObjectName(q(name));
    return w;
}

QLabel* label(QWidget* parent, const char* name, const char* text) {
    auto* l = named(new QLabel(q(text), parent), name);
    l->setTextFormat(Qt::PlainText);
    l->setWordWrap(true);
    return l;
}

ClickLabel* picture(QWidget* parent, const char* name, const char* image, const char* description) {
    auto* l = named(new ClickLabel(parent), name);
    l->setPixmap(resourcePicture(image));
    l->setAccessibleName(q(name));
    l->setAccessibleDescription(q(description));
    return l;
}

QGroupBox* frame(QWidget* parent, const char* name, const char* title) {
    return named(new QGroupBox(q(title), parent), name);
}

// A frame is announced by its own caption. Qt's own frame interface names an
// inner frame after the frame around it, so a screen reader would call "Texture
// Quality" "CoD Menu: Graphics", and an untitled frame after its parent.
class FrameAccessible : public QAccessibleWidget {
  public:
    explicit FrameAccessible(QGroupBox* box) : QAccessibleWidget(box, QAccessible::Grouping) {}
    QString text(QAccessible::Text t) const override {
        if (t != QAccessible::Name) return QAccessibleWidget::text(t);
        const QString own = widget()->accessibleName();
        return own.isEmpty() ? static_cast<QGroupBox*>(widget())->title() : own;
    }
};

QAccessibleInterface* frameAccessible(const QString& key, QObject* object) {
    if (key == QLatin1String("QGroupBox"))
        if (auto* box = qobject_cast<QGroupBox*>(object)) return new FrameAccessible(box);
    return nullptr;
}

QCheckBox* check(QWidget* parent, const char* name, const char* text, bool checked,
                 const char* tip = nullptr) {
    auto* c = named(new QCheckBox(q(text), parent), name);
    c->setChecked(checked);
    if (tip) c->setToolTip(q(tip));
    return c;
}

QRadioButton* option(QWidget* parent, const char* name, const char* text, bool selected,
                     const char* tip = nullptr) {
    auto* r = named(new QRadioButton(q(text), parent), name);
    r->setChecked(selected);
    if (tip) r->setToolTip(q(tip));
    return r;
}

QPushButton* button(QWidget* parent, const char* name, const char* text,
                    const char* tip = nullptr) {
    auto* b = named(new QPushButton(q(text), parent), name);
    if (tip) b->setToolTip(q(tip));
    return b;
}

QLineEdit* pathBox(QWidget* parent, const char* name, const char* text) {
    auto* e = named(new QLineEdit(q(text), parent), name);
    e->setEnabled(false); // shows a path, not for editing
    return e;
}

QVBoxLayout* column(QWidget* w) {
    auto* l = new QVBoxLayout(w);
    l->setSpacing(2);
    return l;
}

// Sets option buttons of one frame, leaving all of them clear when none is true.
void setOptions(std::initializer_list<std::pair<QRadioButton*, bool>> options) {
    for (auto [r, on] : options)
        r->setAutoExclusive(false);
    for (auto [r, on] : options)
        r->setChecked(on);
    for (auto [r, on] : options)
        r->setAutoExclusive(true);
}

} // namespace

// The pictures live in this static library; make sure its resources are linked in.
static void initResources() {
    Q_INIT_RESOURCE(resources);
}

Framewise_Form1::Framewise_Form1(WindowServices s, QWidget* parent)
    : QWidget(parent), dialogs_(s.dialogs), registry_(s.registry), launcher_(s.launcher),
      shell_(s.shell), clock_(s.clock), keys_(s.keys), appFolder_(std::move(s.appFolder)),
      dataFolder_(s.dataFolder.empty() ? appFolder_ : std::move(s.dataFolder)),
      programFolder_(s.programFolder.empty() ? appFolder_ : std::move(s.programFolder)) {
    initResources();
    static const bool framesNamed = (QAccessible::installFactory(frameAccessible), true);
    (void)framesNamed;
    setObjectName(q("Framewise_Form1"));
    // Every text here is Latin script, which reads the same without shaping.
    // Shaping reads each typeface's substitution and positioning tables on its
    // first use, a millisecond or more at start-up; scripts that need shaping
    // (a path or comment in Arabic, say) still get it.
    QFont shapeless = font();
    shapeless.setStyleStrategy(QFont::PreferNoShaping);
    setFont(shapeless);
    setWindowTitle(q(kCaption));
    setWindowIcon(QIcon(resourcePicture(":/framewise/icon.pam")));
    // One cursor for every link: a cursor made from its own picture each time is
    // another cursor for the display server to make when the window is shown.
    linkCursor_ = QCursor(resourcePicture(":/framewise/pointer.pam"), 2, 2);

    auto* top = new QVBoxLayout(this);
    auto* header = new QHBoxLayout;
    Picture2 = picture(this, "Picture2", ":/framewise/banner.ppm", "Framewise banner");
    Picture3 = picture(this, "Picture3", ":/framewise/corner.ppm", "Framewise homepage");
    Picture3->setCursor(linkCursor_);
    header->addWidget(Picture2);
    header->addStretch();
    header->addWidget(Picture3);
    top->addLayout(header);

    SSTab1 = named(new QTabWidget(this), "SSTab1");
    const char* tabs[] = {"MAIN", "Custom Config", "Compile Results", "Advanced", "About / Help"};
    QWidget* pages[5];
    for (int i = 0; i < 5; ++i) {
        pages[i] = new QWidget;
        SSTab1->addTab(pages[i], q(tabs[i]));
    }
    top->addWidget(SSTab1);
    buildMainTab(pages[0]);
    buildCustomTab(pages[1]);
    buildResultsTab(pages[2]);
    buildAdvancedTab(pages[3]);
    buildAboutTab(pages[4]);
    SSTab1->setCurrentIndex(0);
    connectHandlers();
}

namespace {
// The MAIN tab's two notes speak of Call of Duty; another game gets its own.
constexpr const char* kCodVersionNote =
    "*Framewise requires the 1.2 version of Call Of Duty Multiplay";
constexpr const char* kCodDemoNote =
    "*only one demo comes with CoD.  You can record new demos, or download new "
    "demos others have recorded.  The single built in demo is not very long or "
    "graphically harsh (about = to average play).  Benchmark results are a "
    "product of the graphic intensity of the demo used.";

std::string versionNote(const core::GameProfile& game) {
    if (&game == &core::codProfile()) return kCodVersionNote;
    return std::string("*Framewise plays the demos with ") + game.gameName +
           "'s own engine, as it is installed";
}

std::string demoNote(const core::GameProfile& game) {
    if (&game == &core::codProfile()) return kCodDemoNote;
    return std::string("*the demos are those of ") + game.gameName +
           "'s install and of the folder it writes in.  You can record new demos, or download "
           "new demos others have recorded.  Benchmark results are a product of the graphic "
           "intensity of the demo used.";
}
} // namespace

void Framewise_Form1::buildMainTab(QWidget* page) {
    auto* grid = new QGridLayout(page);
    Label10 =
        label(page, "Label10", kCodVersionNote);
    paint(Label10, kRed);
    grid->addWidget(Label10, 0, 0, 1, 2);

    auto* left = new QVBoxLayout;
    Frame3 = frame(page, "Frame3", "Demo To Run");
    {
        auto* l = column(Frame3);
        DemoList = named(new QListWidget(Frame3), "DemoList");
        DemoList->setSelectionMode(QAbstractItemView::SingleSelection);
        DemoList->setToolTip(q("Tallywise automatically scans your Demos folder to list any extra "
                               "demos you may have."));
        DemoList->setMinimumHeight(90);
        Label13 = label(Frame3, "Label13",
                        kCodDemoNote);
        paint(Label13, kBlue);
        Label13->setFont(narrowFont(Label13->font()));
        l->addWidget(DemoList, 1);
        l->addWidget(Label13);
    }
    left->addWidget(Frame3, 1);

    Times_Frame = frame(page, "Times_Frame", "Number Of Runs");
    {
        auto* l = column(Times_Frame);
        run1 = option(Times_Frame, "run1", "One Run Per Setting", false,
                      "Run each settings level one time only.");
        run2 = option(Times_Frame, "run2", "Two Runs Per Setting", false,
                      "Run each settings level two seperate times so that average results can be "
                      "generated.");
        run3 = option(Times_Frame, "run3", "Three Runs Per Setting*", true,
                      "Run each settings level three  seperate times so that average results can "
                      "be generated.");
        Label14 = label(Times_Frame, "Label14", "*provides more accurate results");
        paint(Label14, kBlue);
        for (QWidget* w : {static_cast<QWidget*>(run1), static_cast<QWidget*>(run2),
                           static_cast<QWidget*>(run3), static_cast<QWidget*>(Label14)})
            l->addWidget(w);
    }
    left->addWidget(Times_Frame);

    Detail_Choices = frame(page, "Detail_Choices", "Config Files To Run");
    {
        auto* l = column(Detail_Choices);
        Check_lo = check(Detail_Choices, "Check_lo", "Normal Detail Levels", true, kTipDetail);
        Check_hi = check(Detail_Choices, "Check_hi", "HI Detail Levels", true, kTipDetail);
        Check_max = check(Detail_Choices, "Check_max", "MAX Detail Levels", true, kTipDetail);
        Check_custom =
            check(Detail_Choices, "Check_custom", "Custom Detail Levels", false, kTipDetail);
        for (auto* c : {Check_lo, Check_hi, Check_max, Check_custom})
            l->addWidget(c);
    }
    left->addWidget(Detail_Choices);
    grid->addLayout(left, 1, 0);

    auto* right = new QVBoxLayout;
    Frame1 = frame(page, "Frame1", "Resolutions To Run");
    {
        auto* l = column(Frame1);
        static const char* names[] = {"Check0", "Check1", "Check2", "Check3", "Check4",  "Check5",
                                      "Check6", "Check7", "Check8", "Check9", "Check10", "Check11"};
        for (int i = 0; i < bench::kResolutionCount; ++i) {
            Check[i] = check(Frame1, names[i], kResolutions[i].caption, kResolutions[i].checked,
                             kTipResolutions);
            if (kResolutions[i].red) paint(Check[i], kRed);
            l->addWidget(Check[i]);
        }
        Label9 = label(Frame1, "Label9",
                       "* Resolutions in red are not     supported by all video           cards "
                       "and monitors.");
        paint(Label9, kDarkBlue);
        l->addWidget(Label9);
    }
    right->addWidget(Frame1);

    auto* runRow = new QHBoxLayout;
    Picture1 = picture(page, "Picture1", ":/framewise/picture1.ppm", "Bar chart picture");
    RUN = button(page, "RUN", "RUN");
    embolden(RUN, 18);
    RUN->setCursor(linkCursor_);
    RUN->setMinimumSize(130, 64);
    runRow->addWidget(Picture1);
    runRow->addWidget(RUN, 1);
    right->addLayout(runRow);
    right->addStretch();
    grid->addLayout(right, 1, 1);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 2);
}

void Framewise_Form1::buildCustomTab(QWidget* page) {
    auto* grid = new QGridLayout(page);

    Frame6 = frame(page, "Frame6", "CoD Menu: Graphics");
    {
        auto* g = new QGridLayout(Frame6);
        Frame14 = frame(Frame6, "Frame14", "Texture Quality");
        auto* l = column(Frame14);
        opt_texture_16 = option(Frame14, "opt_texture_16", "16 Bit Textures", false);
        opt_texture_32 = option(Frame14, "opt_texture_32", "32 Bit Textures", false);
        l->addWidget(opt_texture_16);
        l->addWidget(opt_texture_32);
        l->addStretch();

        Frame19 = frame(Frame6, "Frame19", "Texture Filter");
        l = column(Frame19);
        opt_trilinear = option(Frame19, "opt_trilinear", "Trilinear", false);
        opt_bilinear = option(Frame19, "opt_bilinear", "Bilinear", true);
        l->addWidget(opt_trilinear);
        l->addWidget(opt_bilinear);
        l->addStretch();

        const char* quality[] = {"Extra", "High", "Normal", "Lowest"};
        Frame11 = frame(Frame6, "Frame11", "General Textures");
        l = column(Frame11);
        static const char* genNames[] = {"gen_text_0", "gen_text_1", "gen_text_2", "gen_text_3"};
        for (int i = 0; i < 4; ++i)
            l->addWidget(gen_text[i] = option(Frame11, genNames[i], quality[i], i == 0));
        Frame17 = frame(Frame6, "Frame17", "Character Textures");
        l = column(Frame17);
        static const char* chrNames[] = {"chr_text_0", "chr_text_1", "chr_text_2", "chr_text_3"};
        for (int i = 0; i < 4; ++i)
            l->addWidget(chr_text[i] = option(Frame17, chrNames[i], quality[i], i == 0));

        g->addWidget(Frame14, 0, 0);
        g->addWidget(Frame19, 0, 1);
        g->addWidget(Frame11, 1, 0);
        g->addWidget(Frame17, 1, 1);
    }
    grid->addWidget(Frame6, 0, 0);

    Frame20 = frame(page, "Frame20", "CoD Menu: Performance");
    {
        auto* g = new QGridLayout(Frame20);
        Frame21 = frame(Frame20, "Frame21", "Model Detail");
        auto* l = column(Frame21);
        op_md_min = option(Frame21, "op_md_min", "Minimum", false);
        op_md_lo = option(Frame21, "op_md_lo", "Low", false);
        op_md_nr = option(Frame21, "op_md_nr", "Normal", false);
        op_md_max = option(Frame21, "op_md_max", "Maximum", true);
        for (auto* r : {op_md_min, op_md_lo, op_md_nr, op_md_max})
            l->addWidget(r);

        Frame12 = frame(Frame20, "Frame12", "World Dynamic Light Quality");
        l = column(Frame12);
        opt_wdl_n = option(Frame12, "opt_wdl_n", "Nicest", true);
        opt_wdl_f = option(Frame12, "opt_wdl_f", "Fastest", false);
        l->addWidget(opt_wdl_n);
        l->addWidget(opt_wdl_f);
        l->addStretch();

        Frame18 = frame(Frame20, "Frame18", "Dynamic Lights");
        l = column(Frame18);
        opt_dl_no = option(Frame18, "opt_dl_no", "None", false);
        opt_dl_mo = option(Frame18, "opt_dl_mo", "Models Only", false);
        opt_dl_ev = option(Frame18, "opt_dl_ev", "Everything", true);
        for (auto* r : {opt_dl_no, opt_dl_mo, opt_dl_ev})
            l->addWidget(r);

        auto* checks = new QVBoxLayout;
        check_brass = check(Frame20, "check_brass", "Ejecting Brass", true);
        check_wall = check(Frame20, "check_wall", "Wall Marks", true);
        opt_blood = check(Frame20, "opt_blood", "Draw Blood", true);
        for (auto* c : {check_brass, check_wall, opt_blood})
            checks->addWidget(c);
        checks->addStretch();

        g->addWidget(Frame21, 0, 0);
        g->addWidget(Frame12, 0, 1);
        g->addWidget(Frame18, 1, 0);
        g->addLayout(checks, 1, 1);
    }
    grid->addWidget(Frame20, 0, 1);

    Frame9 = frame(page, "Frame9", "Hidden Config File Settings");
    {
        auto* g = new QGridLayout(Frame9);
        Frame13 = frame(Frame9, "Frame13", "");
        Frame13->setFixedHeight(10);
        Check13 = check(Frame9, "Check13", "Draw Gun", true);
        Check13->setEnabled(false);
        Frame10 = frame(Frame9, "Frame10", "Color");
        auto* l = column(Frame10);
        Option3 = option(Frame10, "Option3", "16 Bit", false);
        Option2 = option(Frame10, "Option2", "32 Bit", true);
        l->addWidget(Option3);
        l->addWidget(Option2);
        Frame10->setEnabled(false);
        Option3->setEnabled(false);
        Option2->setEnabled(false);
        Check12 = check(Frame9, "Check12", "Fast Sky", false);
        Check12->setEnabled(false);
        Label1 = label(Frame9, "Label1", "Working On It.....");
        paint(Label1, kRed);
        g->addWidget(Frame13, 0, 0, 1, 3);
        g->addWidget(Check13, 1, 0);
        g->addWidget(Frame10, 1, 1, 2, 1);
        g->addWidget(Check12, 2, 0);
        g->addWidget(Label1, 1, 2, 2, 1);
    }
    grid->addWidget(Frame9, 1, 0, 1, 2);

    auto* presets = new QHBoxLayout;
    Load_low = button(page, "Load_low", "Load Framewise Low");
    Load_Hi = button(page, "Load_Hi", "Load Framewise Hi");
    Load_Max = button(page, "Load_Max", "Load Framewise Max");
    Load_Optimized = button(page, "Load_Optimized", "Load CoD Optimized");
    for (auto* b : {Load_low, Load_Hi, Load_Max, Load_Optimized})
        presets->addWidget(b);
    grid->addLayout(presets, 2, 0, 1, 2);
    grid->setRowStretch(3, 1);
}

void Framewise_Form1::buildResultsTab(QWidget* page) {
    resultsPage = page;
    auto* grid = new QGridLayout(page);
    Label3 = label(page, "Label3", "CoD Benchmark Results");
    embolden(Label3, 12);
    grid->addWidget(Label3, 0, 0, 1, 4);

    text_current = label(page, "text_current", "Current:");
    embolden(text_current);
    resultsloc = pathBox(page, "resultsloc", "");
    resultopen = button(page, "resultopen", "open", kTipOpenResults);
    grid->addWidget(text_current, 1, 0);
    grid->addWidget(resultsloc, 1, 1);
    grid->addWidget(resultopen, 1, 2);

    Label2 = label(page, "Label2", "Archive:");
    embolden(Label2);
    Combo_Results = named(new QComboBox(page), "Combo_Results");
    Combo_Results->setEditable(true);
    // Only the rebuild fills the list; a typed name stays in the box for "open".
    Combo_Results->setInsertPolicy(QComboBox::NoInsert);
    Combo_Results->setEditText(q("Combo_Results"));
    open_results = button(page, "open_results", "open", kTipOpenResults);
    grid->addWidget(Label2, 2, 0);
    grid->addWidget(Combo_Results, 2, 1);
    grid->addWidget(open_results, 2, 2);
    Chart = button(page, "Chart", "Chart", "Show the chosen report as a chart, and compare it with another");
    Chart->setEnabled(false);
    grid->addWidget(Chart, 2, 3);

    Label4 = label(page, "Label4", "Preview:");
    embolden(Label4);
    paint(Label4, kLightBlue);
    grid->addWidget(Label4, 3, 0, 1, 4);

    ResultsText = named(new QPlainTextEdit(page), "ResultsText");
    ResultsText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    ResultsText->setLineWrapMode(QPlainTextEdit::NoWrap);
    ResultsText->setFont(fixedFont());
    grid->addWidget(ResultsText, 4, 0, 1, 4);
    grid->setRowStretch(4, 1);

    auto* buttons = new QHBoxLayout;
    MakeResults = button(page, "MakeResults", "Generate Results", "Make the results!");
    embolden(MakeResults);
    Excel = button(page, "Excel", "EXCEL");
    buttons->addWidget(MakeResults, 2);
    buttons->addWidget(Excel, 1);
    grid->addLayout(buttons, 5, 0, 1, 3);
    grid->setColumnStretch(1, 1);

    // The spreadsheet panel lies over the tab's working area when shown; it is
    // kept out of the layout and sized with the page.
    EXCELFRAME = frame(page, "EXCELFRAME", "");
    EXCELFRAME->setAutoFillBackground(true);
    {
        auto* g = new QGridLayout(EXCELFRAME);
        GenerateEXCEL = button(EXCELFRAME, "GenerateEXCEL", "GENERATE RESULTS TO EXCEL");
        embolden(GenerateEXCEL);
        GenerateEXCEL->setMinimumHeight(48);
        RefindExcelPath = button(EXCELFRAME, "RefindExcelPath", "UPDATE EXCEL PATH");
        Label19 = label(EXCELFRAME, "Label19", "EXCEL PATH:");
        ExcelPathTextBox = pathBox(EXCELFRAME, "ExcelPathTextBox", "");
        BACKFROMEXEL = button(EXCELFRAME, "BACKFROMEXEL", "BACK");
        Label6 = label(EXCELFRAME, "Label6",
                       "NOTE:  A result text file will not be generated or stored.");
        Label20 = label(EXCELFRAME, "Label20",
                        "Warning:   While this feature appears to work in all our testing, the "
                        "rush of keystrokes sent to Excel could have unpredictable results if an "
                        "error occurs.");
        for (auto* l : {Label6, Label20}) {
            paint(l, kRed);
            embolden(l);
        }
        g->addWidget(GenerateEXCEL, 0, 0, 1, 3);
        g->addWidget(Label19, 1, 0);
        g->addWidget(ExcelPathTextBox, 1, 1);
        g->addWidget(RefindExcelPath, 1, 2);
        g->addWidget(Label6, 2, 0, 1, 3);
        g->addWidget(Label20, 3, 0, 1, 3);
        g->setRowStretch(4, 1);
        g->addWidget(BACKFROMEXEL, 5, 2);
        g->setColumnStretch(1, 1);
    }
    EXCELFRAME->hide();
    page->installEventFilter(this);
}

void Framewise_Form1::buildAdvancedTab(QWidget* page) {
    auto* l = new QVBoxLayout(page);
    Label7 = label(page, "Label7", "Advanced");
    embolden(Label7, 12);
    paint(Label7, kRed);
    l->addWidget(Label7);

    Frame7 = frame(page, "Frame7", "");
    dloop = check(Frame7, "dloop", "Run benchmaks in a loop?", false,
                  "When the benchmark results are done they will start over (and over) again.  "
                  "Results will still be generated and the demo runs won't stop until you "
                  "interrupt Quake3");
    column(Frame7)->addWidget(dloop);
    l->addWidget(Frame7);

    Frame5 = frame(page, "Frame5", "Run Up to 'X' Times Before Condump?");
    {
        auto* c = column(Frame5);
        ThreeDump = option(Frame5, "ThreeDump", "Up to 3 results per condump (default)", true,
                           "This is how many results can be listed in the console before a console "
                           "dump is forced.  Up to 3 fps results before dumping seems to work best "
                           "and is the default.");
        Option1 = option(Frame5, "Option1", "Only 1 result per condump", false,
                         "Large demos can cause a problem (demos over 1/2 a Meg).  This setting "
                         "dumps the console more often (before it fills up and overscrolls).");
        c->addWidget(ThreeDump);
        c->addWidget(Option1);
    }
    l->addWidget(Frame5);

    Label11 = label(page, "Label11",
                    "You should only use \"1 result per condump\" if you are using a very large "
                    "demo that does not work right with the default setting.");
    l->addWidget(Label11);

    Frame2 = frame(page, "Frame2", "Call Of Duty Location:");
    {
        auto* c = column(Frame2);
        TEXT_BOX_COD_Path = pathBox(Frame2, "TEXT_BOX_COD_Path", "Text1");
        UpdateCODLoc = button(Frame2, "UpdateCODLoc", "UpdateCall Of Duty Folder/EXE Location",
                              "Re-find your Quake3 Folder.");
        c->addWidget(TEXT_BOX_COD_Path);
        auto* row = new QHBoxLayout;
        row->addWidget(UpdateCODLoc);
        row->addStretch();
        c->addLayout(row);
    }
    l->addWidget(Frame2);
    HomePath = new HomePathFrame(page, dialogs_, appFolder_,
                                 [this](const locate::Outcome& o) { applyLocation(o); });
    l->addWidget(HomePath);
    l->addStretch();
}

void Framewise_Form1::buildAboutTab(QWidget* page) {
    auto* g = new QGridLayout(page);
    Label8 = named(new ClickLabel(q("Framewise Homepage"), page), "Label8");
    Label12 = named(new ClickLabel(q("Framewise Veltrix Forum"), page), "Label12");
    for (auto* l : {Label8, Label12}) {
        l->setTextFormat(Qt::PlainText);
        embolden(l, 0, true);
        paint(l, kBlue);
        l->setCursor(linkCursor_);
    }
    Label5 = label(page, "Label5",
                   "Framewise is a Veltrix freeware application for automatic Call Of Duty "
                   "benchmarks.");
    Command1 = button(page, "Command1", "Framewise Guide TextFile");
    demohelp = button(page, "demohelp", "ReadMe Textfile");
    Picture4 = picture(page, "Picture4", ":/framewise/picture4.ppm", "Framewise homepage");
    Picture4->setCursor(linkCursor_);

    g->setVerticalSpacing(10);
    g->addWidget(Label5, 0, 0, 1, 2);
    g->addWidget(Label8, 1, 0);
    g->addWidget(Label12, 2, 0);
    g->addWidget(Command1, 3, 0, Qt::AlignLeft);
    g->addWidget(demohelp, 4, 0, Qt::AlignLeft);
    g->addWidget(Picture4, 1, 1, 4, 1, Qt::AlignRight | Qt::AlignTop);
    for (auto* b : {Command1, demohelp})
        b->setMinimumWidth(220);
    g->setColumnStretch(0, 1);
    g->setRowStretch(5, 1);
}

void Framewise_Form1::connectHandlers() {
    // Any click of the tab strip closes the spreadsheet panel, the current tab included.
    connect(SSTab1, &QTabWidget::tabBarClicked, this, &Framewise_Form1::SSTab1_Click);
    connect(SSTab1, &QTabWidget::currentChanged, this, &Framewise_Form1::SSTab1_Click);
    connect(UpdateCODLoc, &QPushButton::clicked, this, &Framewise_Form1::UpdateCODLoc_Click);
    connect(RUN, &QPushButton::clicked, this, &Framewise_Form1::RUN_Click);
    connect(MakeResults, &QPushButton::clicked, this, &Framewise_Form1::MakeResults_Click);
    connect(Load_low, &QPushButton::clicked, this, &Framewise_Form1::Load_low_Click);
    connect(Load_Hi, &QPushButton::clicked, this, &Framewise_Form1::Load_Hi_Click);
    connect(Load_Max, &QPushButton::clicked, this, &Framewise_Form1::Load_Max_Click);
    connect(Load_Optimized, &QPushButton::clicked, this, &Framewise_Form1::Load_Optimized_Click);
    connect(Command1, &QPushButton::clicked, this, &Framewise_Form1::Command1_Click);
    connect(Label8, &ClickLabel::clicked, this, &Framewise_Form1::Label8_Click);
    connect(Label12, &ClickLabel::clicked, this, &Framewise_Form1::Label12_Click);
    connect(Picture3, &ClickLabel::clicked, this, &Framewise_Form1::Picture3_Click);
    connect(Picture4, &ClickLabel::clicked, this, &Framewise_Form1::Picture4_Click);
    connect(Combo_Results, &QComboBox::activated, this, &Framewise_Form1::Combo_Results_Click);
    connect(open_results, &QPushButton::clicked, this, &Framewise_Form1::open_results_Click);
    connect(resultopen, &QPushButton::clicked, this, &Framewise_Form1::resultopen_Click);
    connect(Chart, &QPushButton::clicked, this, &Framewise_Form1::Chart_Click);
    connect(Excel, &QPushButton::clicked, this, &Framewise_Form1::Excel_Click);
    connect(BACKFROMEXEL, &QPushButton::clicked, this, &Framewise_Form1::BACKFROMEXEL_Click);
    connect(GenerateEXCEL, &QPushButton::clicked, this, &Framewise_Form1::GenerateEXCEL_Click);
}

bool Framewise_Form1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == resultsPage && event->type() == QEvent::Resize)
        EXCELFRAME->setGeometry(resultsPage->rect().adjusted(4, 4, -4, -4));
    return QWidget::eventFilter(watched, event);
}

bool Framewise_Form1::Form_Load() {
    folders_.appFolder = appFolder_;
    folders_.dataFolder = dataFolder_;
    auto outcome = locate::startUp(appFolder_, dialogs_, registry_);
    if (!outcome.proceed) {
        endProgram();
        return false;
    }
    applyLocation(outcome);
    rebuildResultsList();
    ResultsText->clear();
    return true;
}

void Framewise_Form1::applyLocation(const locate::Outcome& outcome) {
    folders_ = outcome.folders;
    folders_.dataFolder = dataFolder_;
    // Call of Duty keeps the window's own title; another game is named in it.
    const core::GameProfile& game = folders_.profile();
    otherGameDialogs_.reset();
    if (&game == &core::codProfile()) {
        setWindowTitle(q(kCaption));
    } else {
        otherGameDialogs_ = std::make_unique<core::GameNamedDialogs>(dialogs_, game);
        setWindowTitle(toQt(std::string(kCaption) + "- " + game.gameName));
    }
    Label10->setText(toQt(versionNote(game)));
    Label13->setText(toQt(demoNote(game)));
    // The location frame says which game it holds.
    Frame2->setTitle(toQt(core::forGame(game, "Call Of Duty Location:")));
    UpdateCODLoc->setText(toQt(core::forGame(game, "UpdateCall Of Duty Folder/EXE Location")));
    TEXT_BOX_COD_Path->setText(toQt(folders_.gameFolder));
    HomePath->showFor(folders_);
    DemoList->clear();
    for (const auto& demo : outcome.demos)
        DemoList->addItem(toQt(demo));
    if (DemoList->count() > 0) DemoList->setCurrentRow(0);
}

void Framewise_Form1::endProgram() {
    ended_ = true;
    close();
    QApplication::closeAllWindows();
}

bench::RunChoices Framewise_Form1::runChoices() const {
    bench::RunChoices c;
    c.levels = {Check_lo->isChecked(), Check_hi->isChecked(), Check_max->isChecked(),
                Check_custom->isChecked()};
    for (int i = 0; i < bench::kResolutionCount; ++i)
        c.resolutions[i] = Check[i]->isChecked();
    c.runs = run1->isChecked() ? 1 : run2->isChecked() ? 2 : 3;
    c.threePerDump = ThreeDump->isChecked();
    c.loop = dloop->isChecked();
    c.demoEntries.clear();
    for (int i = 0; i < DemoList->count(); ++i)
        c.demoEntries.push_back(fromQt(DemoList->item(i)->text()));
    auto* current = DemoList->currentItem();
    c.selectedDemo = current && current->isSelected() ? DemoList->row(current) : -1;
    return c;
}

bench::CustomSettings Framewise_Form1::customSettings() const {
    bench::CustomSettings s;
    for (int i = 0; i < 4; ++i) {
        s.chr_text[i] = chr_text[i]->isChecked();
        s.gen_text[i] = gen_text[i]->isChecked();
    }
    s.opt_trilinear = opt_trilinear->isChecked();
    s.opt_bilinear = opt_bilinear->isChecked();
    s.opt_texture_16 = opt_texture_16->isChecked();
    s.opt_texture_32 = opt_texture_32->isChecked();
    s.check_wall = check_wall->isChecked();
    s.check_brass = check_brass->isChecked();
    s.opt_blood = opt_blood->isChecked();
    s.opt_dl_no = opt_dl_no->isChecked();
    s.opt_dl_mo = opt_dl_mo->isChecked();
    s.opt_dl_ev = opt_dl_ev->isChecked();
    s.opt_wdl_f = opt_wdl_f->isChecked();
    s.opt_wdl_n = opt_wdl_n->isChecked();
    s.op_md_min = op_md_min->isChecked();
    s.op_md_lo = op_md_lo->isChecked();
    s.op_md_nr = op_md_nr->isChecked();
    s.op_md_max = op_md_max->isChecked();
    return s;
}

void Framewise_Form1::applyCustomSettings(const bench::CustomSettings& s) {
    setOptions({{chr_text[0], s.chr_text[0]},
                {chr_text[1], s.chr_text[1]},
                {chr_text[2], s.chr_text[2]},
                {chr_text[3], s.chr_text[3]}});
    setOptions({{gen_text[0], s.gen_text[0]},
                {gen_text[1], s.gen_text[1]},
                {gen_text[2], s.gen_text[2]},
                {gen_text[3], s.gen_text[3]}});
    setOptions({{opt_trilinear, s.opt_trilinear}, {opt_bilinear, s.opt_bilinear}});
    setOptions({{opt_texture_16, s.opt_texture_16}, {opt_texture_32, s.opt_texture_32}});
    setOptions({{opt_dl_no, s.opt_dl_no}, {opt_dl_mo, s.opt_dl_mo}, {opt_dl_ev, s.opt_dl_ev}});
    setOptions({{opt_wdl_f, s.opt_wdl_f}, {opt_wdl_n, s.opt_wdl_n}});
    setOptions({{op_md_min, s.op_md_min},
                {op_md_lo, s.op_md_lo},
                {op_md_nr, s.op_md_nr},
                {op_md_max, s.op_md_max}});
    check_wall->setChecked(s.check_wall);
    check_brass->setChecked(s.check_brass);
    opt_blood->setChecked(s.opt_blood);
}

void Framewise_Form1::setResultsLocation(const std::string& path) {
    resultsloc->setText(toQt(path));
    updateChartButton();
}
void Framewise_Form1::setResultsText(const std::string& text) {
    ResultsText->setPlainText(toQt(text));
}
std::string Framewise_Form1::resultsText() const {
    return fromQt(ResultsText->toPlainText());
}

void Framewise_Form1::setArchiveItems(const std::vector<std::string>& items) {
    Combo_Results->clear();
    for (const auto& item : items)
        Combo_Results->addItem(toQt(item));
    Combo_Results->setCurrentIndex(items.empty() ? -1 : 0);
    updateChartButton();
}

std::vector<std::string> Framewise_Form1::archiveItems() const {
    std::vector<std::string> items;
    for (int i = 0; i < Combo_Results->count(); ++i)
        items.push_back(fromQt(Combo_Results->itemText(i)));
    return items;
}

std::string Framewise_Form1::archiveText() const {
    return fromQt(Combo_Results->currentText());
}

void Framewise_Form1::rebuildResultsList() {
    setArchiveItems(results::archiveItems(dataFolder_));
}

void Framewise_Form1::setExcelFrameVisible(bool visible) {
    EXCELFRAME->setVisible(visible);
    if (visible) EXCELFRAME->raise();
}

void Framewise_Form1::setExcelPath(const std::string& path) {
    ExcelPathTextBox->setText(toQt(path));
}

void Framewise_Form1::SSTab1_Click() {
    EXCELFRAME->hide();
}

void Framewise_Form1::UpdateCODLoc_Click() {
    folders_.appFolder = appFolder_;
    folders_.dataFolder = dataFolder_;
    auto outcome = locate::relocate(appFolder_, dialogs_);
    if (!outcome.proceed) {
        endProgram();
        return;
    }
    applyLocation(outcome);
}

// The flows behind these handlers live in their subsystems and are wired in here.
void Framewise_Form1::RUN_Click() {
    const auto hold = locate::holdGameFolder(folders_, dialogs_);
    if (hold.refused) return;
    auto outcome = bench::runCommand(
        folders_, runChoices(), customSettings(), gameDialogs(), launcher_, clock_,
        [this](core::Dialogs& d) { return results::settleEarlierRun(folders_, d); });
    if (outcome.closeTool) {
        endProgram();
        return;
    }
    // A run left uncompiled may have been archived before RUN stopped.
    setArchiveItems(results::archiveItems(folders_.resultsHome()));
}

void Framewise_Form1::MakeResults_Click() {
    const auto hold = locate::holdGameFolder(folders_, dialogs_);
    if (hold.refused) return;
    // The report is on show before the closing message comes up.
    results::makeResults(folders_, gameDialogs(), [this](const results::ResultsOutcome& outcome) {
        if (outcome.resultsloc) setResultsLocation(*outcome.resultsloc);
        if (outcome.comboItems) setArchiveItems(*outcome.comboItems);
        if (outcome.resultsText) setResultsText(*outcome.resultsText);
    });
}

void Framewise_Form1::Load_low_Click() { applyCustomSettings(bench::preset(bench::Preset::Low)); }
void Framewise_Form1::Load_Hi_Click() { applyCustomSettings(bench::preset(bench::Preset::Hi)); }
void Framewise_Form1::Load_Max_Click() { applyCustomSettings(bench::preset(bench::Preset::Max)); }
void Framewise_Form1::Load_Optimized_Click() {
    applyCustomSettings(bench::preset(bench::Preset::Optimized));
}

void Framewise_Form1::Command1_Click() { help::Command1_Click(programFolder_, launcher_); }
void Framewise_Form1::Label8_Click() { help::openLink(help::Link::Label8, shell_); }
void Framewise_Form1::Label12_Click() { help::openLink(help::Link::Label12, shell_); }
void Framewise_Form1::Picture3_Click() { help::openLink(help::Link::Picture3, shell_); }
void Framewise_Form1::Picture4_Click() { help::openLink(help::Link::Picture4, shell_); }
void Framewise_Form1::Combo_Results_Click() {
    if (auto preview = archive::Combo_Results_Click(archiveText(), dialogs_)) setResultsText(*preview);
    updateChartButton();
}

std::string Framewise_Form1::chartReport() const {
    std::string chosen = archiveText();
    if (!chosen.empty() && chosen != results::kPlaceholder) return chosen;
    if (std::string generated = fromQt(resultsloc->text()); !generated.empty()) return generated;
    // Nothing chosen: the newest report, so that comparing it with others is
    // the Chart button and a tick for each.
    return results::newestReport(archiveItems());
}

void Framewise_Form1::updateChartButton() {
    if (Chart) Chart->setEnabled(!chartReport().empty());
}

namespace {
bool chartModulePresent(const QString& path) {
    for (const char* suffix : {"", ".so", ".dll"})
        if (QFileInfo(path + QLatin1String(suffix)).isFile()) return true;
    return false;
}
} // namespace

std::string noChartWindowText(const std::string& report) {
    return "This build of Framewise has no chart window.\r\n\r\nThe figures of the report are "
           "given as a table by the command line:\r\n\r\nframewise-cli report --csv \"" +
           report + "\"";
}

// The chart library is loaded only now, on the first chart, so that it adds
// nothing to the start of the window.
void Framewise_Form1::Chart_Click() {
    std::string report = chartReport();
    if (report.empty()) return;
    static QLibrary module;
    if (!module.isLoaded()) {
        QString path = chartModule_.empty()
                           ? QCoreApplication::applicationDirPath() + "/framewise_chart"
                           : toQt(chartModule_);
        module.setFileName(path);
        // A build without the chart library (the Windows one) ships no module:
        // say so and where the figures are, rather than the loader's words.
        if (!chartModulePresent(path)) {
            core::tell(dialogs_, noChartWindowText(report));
            return;
        }
        if (!module.load()) {
            core::tell(dialogs_, "Error - The chart window could not be loaded (" +
                                     fromQt(module.errorString()) + ").");
            return;
        }
    }
    using OpenChart = QWidget* (*)(const std::string&, const std::vector<std::string>&,
                                   core::Dialogs&, QWidget*);
    auto open = reinterpret_cast<OpenChart>(module.resolve("framewise_open_chart"));
    if (!open) {
        core::tell(dialogs_, "Error - The chart window could not be loaded (" +
                                 fromQt(module.errorString()) + ").");
        return;
    }
    open(report, results::archivedReports(dataFolder_), dialogs_, this);
}
void Framewise_Form1::open_results_Click() {
    archive::open_results_Click(archiveText(), launcher_, dialogs_);
}
void Framewise_Form1::resultopen_Click() {
    archive::resultopen_Click(fromQt(resultsloc->text()), launcher_, dialogs_);
}
void Framewise_Form1::applyExcelPanel(const archive::ExcelPanel& panel) {
    setExcelFrameVisible(panel.visible);
    if (panel.pathText) setExcelPath(*panel.pathText);
}

// The panel opens before the spreadsheet is looked for, so the questions come
// over it.
void Framewise_Form1::Excel_Click() {
    setExcelFrameVisible(true);
    applyExcelPanel(archive::Excel_Click(appFolder_, dialogs_));
}

void Framewise_Form1::BACKFROMEXEL_Click() { applyExcelPanel(archive::BACKFROMEXEL_Click()); }

void Framewise_Form1::GenerateEXCEL_Click() {
    setExcelFrameVisible(true);
    const auto hold = locate::holdGameFolder(folders_, dialogs_);
    if (hold.refused) return;
    applyExcelPanel(archive::GenerateEXCEL_Click(folders_, gameDialogs(), launcher_, keys_));
}
