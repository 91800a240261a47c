#include "app/chart/chart_window.h"

#include "app/qt_text.h"
#include "core/textfile.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QListWidget>
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

constexpr const char* kChooserLabel = "Compare with (tick up to seven reports):";
constexpr const char* kTooMany =
    "Up to eight reports can be compared at once: untick one before ticking another.";
constexpr const char* kErrorBars =
    "Error bars: one standard deviation of the runs either side of the average; a setting run "
    "once has none (one run: no spread).";

// The reports of a comparison, the first in grey, the others in turn.
QColor seriesColour(std::size_t index) {
    static const QColor colours[] = {QColor(0x8a, 0x8a, 0x8a), QColor(0x2f, 0x6f, 0xc0),
                                     QColor(0xe0, 0x8a, 0x1c), QColor(0x3c, 0x9a, 0x4a),
                                     QColor(0xc0, 0x3a, 0x2f), QColor(0x7b, 0x4f, 0xb0),
                                     QColor(0x1c, 0xa0, 0xa8), QColor(0x8c, 0x5a, 0x2b)};
    return colours[index % std::size(colours)];
}

// A report in the chooser: what tells it from the others, never its file name.
std::string chooserText(const results::ReportTable& t) {
    return t.startTime + "\n" + t.demo + " - " + t.comment;
}

// From the average, one standard deviation down and up; the average alone for one run.
std::pair<double, double> errorBar(const results::ChartBar& b) {
    auto s = results::spreadOf(b.runs);
    const double sd = s && s->sd ? *s->sd : 0;
    return {b.value - sd, b.value + sd};
}

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

// The legend of a comparison and what it found: each report's colour and label
// over its column, and per setting its average and, against the first, the
// change and verdict. Never cut short, as the chart's own legend would be.
QString verdictTable(const results::ManyComparison& c) {
    QString html = "<table cellspacing=\"0\" cellpadding=\"2\"><tr><th></th>";
    for (std::size_t r = 0; r < c.reports.size(); ++r)
        html += "<th align=\"left\"><font color=\"" + seriesColour(r).name() +
                "\">&#9632;</font> " + toQt(c.reports[r].label).toHtmlEscaped() +
                (r == 0 ? " (first)" : "") + "</th>";
    html += "</tr>";
    for (const auto& s : c.settings) {
        html += "<tr><td>" + toQt(s.level + " " + s.resolution).toHtmlEscaped() + "</td>";
        for (std::size_t r = 0; r < c.reports.size(); ++r) {
            const auto& cell = s.cells[r];
            std::string text = "not held";
            if (cell) {
                text = cell->bar.valueText;
                if (cell->percent)
                    text += ", " + results::formatPercent(*cell->percent) + " " +
                            results::verdictText(cell->judgement.verdict);
            }
            html += "<td>" + toQt(text).toHtmlEscaped() + "</td>";
        }
        html += "</tr>";
    }
    return html + "</table>";
}

} // namespace

ChartWindow::ChartWindow(std::vector<std::string> archive, core::Dialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window), archive_(std::move(archive)), dialogs_(dialogs) {
    setObjectName("ChartWindow");
    setAttribute(Qt::WA_DeleteOnClose);
    resize(1100, 820);

    auto* layout = new QVBoxLayout(this);
    auto* bar = new QHBoxLayout;
    auto* png = new QPushButton("Save Chart as PNG...", this);
    png->setObjectName("Save_Png");
    auto* csv = new QPushButton("Save Table as CSV...", this);
    csv->setObjectName("Save_Csv");
    bar->addStretch(1);
    bar->addWidget(png);
    bar->addWidget(csv);
    layout->addLayout(bar);

    auto* body = new QHBoxLayout;
    auto* chooser = new QVBoxLayout;
    auto* compareLabel = new QLabel(kChooserLabel, this);
    compareLabel->setWordWrap(true);
    compare_ = new QListWidget(this);
    compare_->setObjectName("Reports_Compare");
    compare_->setAccessibleName("Compare with");
    compare_->setWordWrap(true);
    compare_->setFixedWidth(260);
    compareLabel->setBuddy(compare_);
    chooser->addWidget(compareLabel);
    chooser->addWidget(compare_, 1);
    body->addLayout(chooser);

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
    view_->setMinimumHeight(300);
    notes_ = new QLabel(area_);
    notes_->setObjectName("ChartNotes");
    notes_->setWordWrap(true);
    notes_->setTextFormat(Qt::RichText);
    rule_ = new QLabel(area_);
    rule_->setObjectName("ChartRule");
    rule_->setWordWrap(true);
    areaLayout->addWidget(title_);
    areaLayout->addWidget(comment_);
    areaLayout->addWidget(view_, 1);
    areaLayout->addWidget(notes_);
    areaLayout->addWidget(rule_);
    body->addWidget(area_, 1);
    layout->addLayout(body, 1);

    connect(png, &QPushButton::clicked, this, [this] { savePng(); });
    connect(csv, &QPushButton::clicked, this, [this] { saveCsv(); });
    connect(compare_, &QListWidget::itemChanged, this,
            [this](QListWidgetItem* item) { choiceChanged(item); });
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
    compared_.clear();
    comparison_.reset();
    setWindowTitle(toQt("Framewise Chart - " + fileName(path)));

    ticking_ = true;
    compare_->clear();
    for (const auto& item : archive_) {
        if (std::filesystem::path(item) == std::filesystem::path(path)) continue;
        auto other = results::readReport(item);
        auto* entry = new QListWidgetItem(compare_);
        entry->setData(Qt::UserRole, toQt(item));
        if (other.table) {
            entry->setText(toQt(chooserText(*other.table)));
            entry->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
            entry->setCheckState(Qt::Unchecked);
        } else {
            // Listed so that it is not missed, but it cannot be chosen.
            entry->setText(toQt(fileName(item) + " (not a readable report)"));
            entry->setFlags(Qt::NoItemFlags);
        }
    }
    ticking_ = false;
    draw();
    return true;
}

bool ChartWindow::compareWith(const std::string& path) {
    return compareWithMany(path.empty() ? std::vector<std::string>{}
                                        : std::vector<std::string>{path});
}

bool ChartWindow::compareWithMany(const std::vector<std::string>& paths) {
    if (paths.size() + 1 > results::kMaxCompared) {
        core::tell(dialogs_, kTooMany);
        showTicks();
        return false;
    }
    std::vector<results::ReportTable> tables{table_};
    for (const auto& p : paths) {
        auto reading = results::readReport(p);
        if (!reading.table) {
            core::tell(dialogs_, "Error - The report cannot be compared.\r\n\r\n" +
                                     reading.error.message());
            showTicks();
            return false;
        }
        tables.push_back(std::move(*reading.table));
    }
    compared_ = paths;
    if (paths.empty()) {
        comparison_.reset();
    } else {
        std::vector<std::string> files{path_};
        files.insert(files.end(), paths.begin(), paths.end());
        comparison_ = results::compareAll(tables, files, results::systemsOf(files));
    }
    showTicks();
    draw();
    return true;
}

void ChartWindow::showTicks() {
    ticking_ = true;
    for (int i = 0; i < compare_->count(); ++i) {
        auto* item = compare_->item(i);
        if (!(item->flags() & Qt::ItemIsUserCheckable)) continue;
        const std::string p = fromQt(item->data(Qt::UserRole).toString());
        const bool on = std::find(compared_.begin(), compared_.end(), p) != compared_.end();
        item->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    }
    ticking_ = false;
}

void ChartWindow::choiceChanged(QListWidgetItem* item) {
    if (ticking_) return;
    const std::string p = fromQt(item->data(Qt::UserRole).toString());
    std::vector<std::string> paths = compared_;
    auto at = std::find(paths.begin(), paths.end(), p);
    if (item->checkState() == Qt::Checked && at == paths.end()) paths.push_back(p);
    if (item->checkState() != Qt::Checked && at != paths.end()) paths.erase(at);
    compareWithMany(paths);
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
        notes += toQt("Measured on: " + results::systemSummary(results::readSystemRecord(path_)))
                     .toHtmlEscaped() +
                 "<br>";
        rule_->setText(kErrorBars);
    } else {
        const auto& c = *comparison_;
        title_->setText(toQt((c.sameDemo ? table_.demo + ": " : std::string()) +
                             std::to_string(c.reports.size()) + " reports compared"));
        comment_->setText(toQt("Each judged against the first: " + c.reports.front().label));
        for (const auto& s : c.settings)
            categories << toQt(s.level + (uprightNames_ ? " " : "<br>") + s.resolution);
        for (std::size_t r = 0; r < c.reports.size(); ++r) {
            SetSpec set{toQt(c.reports[r].label), seriesColour(r), {}};
            for (const auto& s : c.settings)
                set.bars.push_back(s.cells[r] ? std::optional(s.cells[r]->bar) : std::nullopt);
            sets.push_back(std::move(set));
        }
        if (!c.sameDemo)
            notes += "<b><font color=\"#b00000\">" +
                     toQt("These reports are of different demos: their figures are not "
                          "comparable.")
                         .toHtmlEscaped() +
                     "</font></b><br>";
        notes += verdictTable(c);
        for (const auto& d : c.differences)
            notes += toQt("Differs: " + d).toHtmlEscaped() + "<br>";
        for (const auto& label : c.notRecorded)
            notes += toQt("System not recorded: " + label).toHtmlEscaped() + "<br>";
        if (c.differences.empty())
            notes += toQt(std::string(c.notRecorded.empty()
                                          ? "Nothing differs between the reports' systems and "
                                            "setups."
                                          : "Nothing else differs between the reports."))
                         .toHtmlEscaped() +
                     "<br>";
        for (const auto& p : c.partial)
            notes += toQt("Not compared: " + p).toHtmlEscaped() + "<br>";
        for (const auto& r : c.notRun)
            notes += toQt("Did not run in " + r).toHtmlEscaped() + "<br>";
        if (c.settings.empty())
            notes += "The reports hold no detail level and resolution in common.<br>";
        rule_->setText(QString(kErrorBars) + " " + results::kVerdictRule);
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
            if (b) top = std::max(top, errorBar(*b).second);
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

    // The error bar: an "I" one standard deviation of the runs either side of
    // the average, over the middle of each bar. Bars of a group share the
    // series' bar width.
    const double width = bars->barWidth();
    const int n = static_cast<int>(sets.size());
    for (int i = 0; i < n; ++i) {
        for (std::size_t c = 0; c < sets[i].bars.size(); ++c) {
            const auto& b = sets[i].bars[c];
            if (!b || b->runs.size() < 2) continue;
            const auto [low, high] = errorBar(*b);
            double mid = static_cast<double>(c) - width / 2 + (i + 0.5) * width / n;
            double cap = width / n / 4;
            auto* mark = new QLineSeries;
            mark->setName(sets[i].name + " spread");
            *mark << QPointF(mid - cap, low) << QPointF(mid + cap, low) << QPointF(mid, low)
                  << QPointF(mid, high) << QPointF(mid - cap, high) << QPointF(mid + cap, high);
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
    // A comparison's legend is the table under the chart, which cuts no label short.
    chart->legend()->setVisible(!comparison_);

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
        const std::string csv =
            comparison_ ? results::comparisonCsv(*comparison_) : results::reportCsv(table_);
        return core::writeLines(tmp, core::splitLines(csv), &why);
    });
}

} // namespace chart
