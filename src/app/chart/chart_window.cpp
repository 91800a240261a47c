#include "app/chart/chart_window.h"

#include "app/qt_text.h"
#include "core/textfile.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QFontMetrics>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPixmap>
#include <QPushButton>
#include <QValueAxis>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <system_error>

namespace chart {

namespace {

constexpr const char* kNoComparison = "(no comparison)";

// One colour per detail level, the same in every chart.
QColor levelColour(const std::string& level) {
    if (level == "Normal") return QColor(0x3c, 0x9a, 0x4a);
    if (level == "High") return QColor(0x2f, 0x6f, 0xc0);
    if (level == "Maximum") return QColor(0xc0, 0x3a, 0x2f);
    return QColor(0xe0, 0x8a, 0x1c);
}

std::string fileName(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

// A bar set to draw: its values by category, 0 where it has no bar.
struct SetSpec {
    QString name;
    QColor colour;
    std::vector<std::optional<results::ChartBar>> bars;
};

// The value on each bar, raised one line so that the mark of the runs' spread
// over the bar's top does not cross it.
constexpr const char* kValueFormat = "@value<br>&nbsp;";
// Upright values turn about their middle: blanks before them lift the figures
// off the bar and its mark.
constexpr const char* kUprightValueFormat = "&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;@value";

// From 0 to a round number at or above need, with ticks at round steps.
void setValueRange(QValueAxis* y, double need) {
    const double raw = std::max(need, 1.0) / 5;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    double step = 10 * magnitude;
    for (double m : {1.0, 2.0, 2.5, 5.0})
        if (m * magnitude >= raw) {
            step = m * magnitude;
            break;
        }
    const int steps = static_cast<int>(std::ceil(need / step - 1e-9));
    y->setRange(0, steps * step);
    y->setTickCount(steps + 1);
}

int widestLine(const QFont& font, const QStringList& texts) {
    QFontMetrics metrics(font);
    int widest = 0;
    for (const auto& text : texts)
        for (const auto& line : text.split("<br>"))
            widest = std::max(widest, metrics.horizontalAdvance(line));
    return widest;
}

QStringList valueTexts(QBarSeries* bars) {
    QStringList values;
    for (auto* set : bars->barSets())
        for (int i = 0; i < set->count(); ++i)
            values << QString::number(set->at(i), 'g', bars->labelsPrecision());
    return values;
}

} // namespace

ChartWindow::ChartWindow(std::vector<std::string> archive, core::Dialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window), archive_(std::move(archive)), dialogs_(dialogs) {
    setObjectName("ChartWindow");
    setAttribute(Qt::WA_DeleteOnClose);
    resize(900, 620);

    auto* layout = new QVBoxLayout(this);
    auto* bar = new QHBoxLayout;
    auto* compareLabel = new QLabel("Compare with:", this);
    compare_ = new QComboBox(this);
    compare_->setObjectName("Combo_Compare");
    compare_->setAccessibleName("Compare with");
    compareLabel->setBuddy(compare_);
    auto* png = new QPushButton("Save Chart as PNG...", this);
    png->setObjectName("Save_Png");
    auto* csv = new QPushButton("Save Table as CSV...", this);
    csv->setObjectName("Save_Csv");
    bar->addWidget(compareLabel);
    bar->addWidget(compare_, 1);
    bar->addWidget(png);
    bar->addWidget(csv);
    layout->addLayout(bar);

    area_ = new QWidget(this);
    area_->setObjectName("ChartArea");
    area_->setAutoFillBackground(true);
    auto* areaLayout = new QVBoxLayout(area_);
    title_ = new QLabel(area_);
    title_->setObjectName("ChartTitle");
    QFont big = title_->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.3);
    title_->setFont(big);
    title_->setAlignment(Qt::AlignHCenter);
    // Long titles and comments wrap instead of widening the window past the screen.
    title_->setWordWrap(true);
    comment_ = new QLabel(area_);
    comment_->setObjectName("ChartComment");
    comment_->setAlignment(Qt::AlignHCenter);
    comment_->setWordWrap(true);
    view_ = new QChartView(new QChart, area_);
    view_->setObjectName("ChartView");
    view_->setRenderHint(QPainter::Antialiasing);
    notes_ = new QLabel(area_);
    notes_->setObjectName("ChartNotes");
    notes_->setWordWrap(true);
    notes_->setTextFormat(Qt::RichText);
    areaLayout->addWidget(title_);
    areaLayout->addWidget(comment_);
    areaLayout->addWidget(view_, 1);
    areaLayout->addWidget(notes_);
    layout->addWidget(area_, 1);

    connect(png, &QPushButton::clicked, this, [this] { savePng(); });
    connect(csv, &QPushButton::clicked, this, [this] { saveCsv(); });
    connect(compare_, &QComboBox::activated, this, [this](int index) { compareChosen(index); });
}

QChart* ChartWindow::chart() const { return view_->chart(); }

bool ChartWindow::open(const std::string& path) {
    auto reading = results::readReport(path);
    if (!reading.table) {
        core::tell(dialogs_, "Error - The report cannot be shown as a chart.\r\n\r\n" +
                                 reading.error.message());
        return false;
    }
    path_ = path;
    table_ = *reading.table;
    model_ = results::chartOf(table_);
    baseTable_.reset();
    comparison_.reset();
    setWindowTitle(toQt("Framewise Chart - " + fileName(path)));

    compare_->clear();
    compare_->addItem(kNoComparison);
    for (const auto& item : archive_)
        if (std::filesystem::path(item) != std::filesystem::path(path))
            compare_->addItem(toQt(fileName(item)), toQt(item));
    draw();
    return true;
}

bool ChartWindow::compareWith(const std::string& path) {
    if (path.empty()) {
        baseTable_.reset();
        comparison_.reset();
        compare_->setCurrentIndex(0);
        draw();
        return true;
    }
    auto reading = results::readReport(path);
    if (!reading.table) {
        core::tell(dialogs_, "Error - The report cannot be compared.\r\n\r\n" + reading.error.message());
        compareWith({});
        return false;
    }
    baseTable_ = *reading.table;
    comparison_ = results::compareReports(table_, *baseTable_);
    int index = compare_->findData(toQt(path));
    if (index >= 0) compare_->setCurrentIndex(index);
    draw();
    return true;
}

void ChartWindow::compareChosen(int index) {
    compareWith(index <= 0 ? std::string() : fromQt(compare_->itemData(index).toString()));
}

void ChartWindow::draw() {
    QStringList categories;
    std::vector<SetSpec> sets;
    QString notes;
    if (!comparison_) {
        title_->setText(toQt(model_.title));
        comment_->setText(toQt(model_.subtitle));
        for (const auto& r : model_.resolutions)
            categories << toQt(r);
        for (const auto& s : model_.series)
            sets.push_back({toQt(s.name), levelColour(s.name), s.bars});
        for (const auto& n : model_.notes)
            notes += toQt(n).toHtmlEscaped() + "<br>";
    } else {
        const auto& c = *comparison_;
        title_->setText(toQt(model_.title + "\ncompared with " + baseTable_->demo + ", " +
                             baseTable_->startTime));
        comment_->setText(toQt(table_.comment + "  /  " + baseTable_->comment));
        SetSpec base{toQt(c.baseFile), QColor(0x8a, 0x8a, 0x8a), {}};
        SetSpec other{toQt(c.otherFile), QColor(0x2f, 0x6f, 0xc0), {}};
        for (const auto& p : c.pairs) {
            categories << toQt(p.level + (uprightNames_ ? " " : "<br>") + p.resolution + "<br>" +
                               results::formatPercent(p.percent));
            base.bars.push_back(p.base);
            other.bars.push_back(p.other);
        }
        sets = {base, other};
        if (!c.sameDemo)
            notes += "<b><font color=\"#b00000\">" +
                     toQt("These reports are of different demos (" + c.otherDemo + " and " +
                          c.baseDemo + "): their figures are not comparable.")
                         .toHtmlEscaped() +
                     "</font></b><br>";
        for (const auto& d : c.otherDifferences)
            if (d.rfind("demo:", 0) != 0) notes += toQt("Differs: " + d).toHtmlEscaped() + "<br>";
        auto list = [&](const std::string& file, const std::vector<std::string>& only) {
            if (only.empty()) return;
            std::string line = "Only in " + file + " (not compared): ";
            for (std::size_t i = 0; i < only.size(); ++i)
                line += (i ? ", " : "") + only[i];
            notes += toQt(line).toHtmlEscaped() + "<br>";
        };
        list(c.otherFile, c.onlyInOther);
        list(c.baseFile, c.onlyInBase);
        if (c.pairs.empty()) notes += "The two reports hold no detail level and resolution in common.<br>";
    }
    notes_->setText(notes);
    notes_->setVisible(!notes.isEmpty());

    auto* chart = new QChart;
    chart->setAnimationOptions(QChart::NoAnimation);
    auto* bars = new QBarSeries;
    bars->setLabelsVisible(true);
    bars->setLabelsPosition(QAbstractBarSeries::LabelsOutsideEnd);
    bars->setLabelsPrecision(6);
    bars->setLabelsFormat(uprightValues_ ? kUprightValueFormat : kValueFormat);
    bars->setLabelsAngle(uprightValues_ ? -90 : 0);
    bars->setBarWidth(0.8);
    double top = 1;
    for (const auto& s : sets) {
        auto* set = new QBarSet(s.name);
        set->setColor(s.colour);
        // The theme writes bar labels in white, unseen above the bar on the white chart.
        set->setLabelColor(QColor(0x20, 0x20, 0x20));
        set->setBorderColor(s.colour.darker(130));
        for (const auto& b : s.bars) {
            set->append(b ? b->value : 0.0);
            if (b) top = std::max(top, b->high);
        }
        bars->append(set);
    }
    chart->addSeries(bars);
    auto* x = new QBarCategoryAxis;
    x->append(categories);
    auto* y = new QValueAxis;
    y->setTitleText("frames per second");
    // Upright values need more room above the bars.
    setValueRange(y, top * (uprightValues_ ? 1.35 : 1.15));
    y->setLabelFormat("%.0f");
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    bars->attachAxis(x);
    bars->attachAxis(y);
    x->setLabelsAngle(uprightNames_ ? -90 : 0);
    // Queued: the chart is drawn anew after the layout that moved the plot, not
    // inside it. A call left queued from a replaced chart fits the current one.
    connect(chart, &QChart::plotAreaChanged, this, [this] { fitLabels(); }, Qt::QueuedConnection);

    // The spread of the runs: an "I" from the lowest to the highest run over
    // the middle of each bar. Bars of a group share the series' bar width.
    const double width = bars->barWidth();
    const int n = static_cast<int>(sets.size());
    for (int i = 0; i < n; ++i) {
        for (std::size_t c = 0; c < sets[i].bars.size(); ++c) {
            const auto& b = sets[i].bars[c];
            if (!b || b->runs.size() < 2) continue;
            double mid = static_cast<double>(c) - width / 2 + (i + 0.5) * width / n;
            double cap = width / n / 4;
            auto* mark = new QLineSeries;
            mark->setName(sets[i].name + " runs");
            *mark << QPointF(mid - cap, b->low) << QPointF(mid + cap, b->low) << QPointF(mid, b->low)
                  << QPointF(mid, b->high) << QPointF(mid - cap, b->high) << QPointF(mid + cap, b->high);
            QPen pen(QColor(0x20, 0x20, 0x20));
            pen.setWidthF(1.5);
            mark->setPen(pen);
            chart->addSeries(mark);
            mark->attachAxis(x);
            mark->attachAxis(y);
            for (auto* marker : chart->legend()->markers(mark))
                marker->setVisible(false);
        }
    }
    chart->legend()->setAlignment(Qt::AlignBottom);

    QChart* old = view_->chart();
    view_->setChart(chart);
    delete old;
}

// Names and values that do not fit side by side stand upright rather than be
// cut short or run into each other. The chart is drawn anew when that changes,
// since a label once turned keeps its turn. Upright only when clearly needed,
// level again only when clearly not, so that the small change of the plot a
// redraw brings cannot turn them back and forth.
void ChartWindow::fitLabels() {
    QChart* chart = view_->chart();
    QBarCategoryAxis* x = nullptr;
    for (auto* axis : chart->axes(Qt::Horizontal))
        if (auto* c = qobject_cast<QBarCategoryAxis*>(axis)) x = c;
    QBarSeries* bars = nullptr;
    for (auto* series : chart->series())
        if (auto* b = qobject_cast<QBarSeries*>(series)) bars = b;
    if (!x || !bars || x->count() == 0) return;
    const double width = chart->plotArea().width();
    // The axis cuts a name to its share among the count + 1 ticks, less padding.
    const double nameRoom = width / (x->count() + 1) - 12;
    QStringList names = x->categories();
    if (uprightNames_) // as they would stand level
        for (auto& name : names)
            if (auto space = name.indexOf(' '); space >= 0) name.replace(space, 1, "<br>");
    const int nameWidth = widestLine(x->labelsFont(), names);
    bool namesUp = uprightNames_ ? nameWidth + 8 > nameRoom : nameWidth > nameRoom;

    QFont valueFont = bars->count() ? bars->barSets()[0]->labelFont() : QFont();
    const double barRoom = width / x->count() * bars->barWidth() / std::max<qsizetype>(1, bars->count());
    const int valueWidth = widestLine(valueFont, valueTexts(bars));
    bool valuesUp = uprightValues_ ? valueWidth + 12 > barRoom : valueWidth + 4 > barRoom;

    if (namesUp == uprightNames_ && valuesUp == uprightValues_) return;
    uprightNames_ = namesUp;
    uprightValues_ = valuesUp;
    draw();
}

bool ChartWindow::saveBytes(const std::string& what, const std::string& filter,
                            const std::string& suggested,
                            const std::function<bool(const std::string&, std::string&)>& write) {
    std::string path = dialogs_.saveFile("Save " + what, filter, suggested);
    if (path.empty()) return false;
    // Written beside the target and renamed over it, so a failed save leaves no
    // half-written file and an old file of that name as it was.
    std::string tmp = path + ".part";
    std::string why;
    std::error_code ec;
    bool ok = write(tmp, why);
    if (ok) {
        std::filesystem::rename(tmp, path, ec);
        if (ec) {
            ok = false;
            why = ec.message();
        }
    }
    if (!ok) {
        std::filesystem::remove(tmp, ec);
        core::tell(dialogs_, "Error - The " + what + " could not be saved as " + path + " (" + why +
                                 ").\r\n\r\nNothing was written.");
    }
    return ok;
}

bool ChartWindow::savePng() {
    std::string stem = std::filesystem::path(path_).stem().string();
    return saveBytes("chart", "PNG image (*.png)", stem + ".png", [this](const std::string& tmp, std::string& why) {
        QPixmap picture = area_->grab();
        if (picture.save(toQt(tmp), "PNG")) return true;
        why = "the picture could not be written";
        return false;
    });
}

bool ChartWindow::saveCsv() {
    std::string stem = std::filesystem::path(path_).stem().string();
    return saveBytes("table", "CSV table (*.csv)", stem + ".csv", [this](const std::string& tmp, std::string& why) {
        return core::writeLines(tmp, core::splitLines(results::reportCsv(table_)), &why);
    });
}

} // namespace chart
