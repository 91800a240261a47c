#pragma once
// The chart of an archived report, and its comparison with up to seven others. Built
// into a module of its own that the window loads when the user first asks for a
// chart, so that the chart library costs nothing at start-up.
#include "core/dialogs.h"
#include "results/report_chart.h"

#include <QWidget>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QChart;
class QChartView;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace chart {

class ChartWindow : public QWidget {
  public:
    // archive: the archived reports' full paths, offered for the comparison.
    ChartWindow(std::vector<std::string> archive, core::Dialogs& dialogs, QWidget* parent = nullptr);

    // Shows the report at path; false (and told) when it cannot be read.
    bool open(const std::string& path);
    // Compares with the report at path, or ends the comparison when path is
    // empty; false (and told) when it cannot be read.
    bool compareWith(const std::string& path);
    // Compares with the reports at paths, as series after the shown one, up to
    // seven; false (and told) when one cannot be read or there are too many.
    bool compareWithMany(const std::vector<std::string>& paths);

    // The save buttons: the chart as PNG, the report's table as CSV.
    bool savePng();
    bool saveCsv();

    QChart* chart() const;
    const results::ChartModel& model() const { return model_; }
    const std::optional<results::ManyComparison>& comparison() const { return comparison_; }

  private:
    void draw();
    void fitLabels();
    void choiceChanged(QListWidgetItem* item);
    void showTicks(); // the chooser's ticks as compared_ holds them
    bool saveBytes(const std::string& what, const std::string& filter, const std::string& suggested,
                   const std::function<bool(const std::string& tmp, std::string& why)>& write);

    std::vector<std::string> archive_;
    core::Dialogs& dialogs_;
    std::string path_;
    results::ReportTable table_;
    results::ChartModel model_;
    std::vector<std::string> compared_; // the ticked reports, in the order ticked
    std::optional<results::ManyComparison> comparison_;

    QWidget* area_ = nullptr; // what the PNG shows
    QLabel* title_ = nullptr;
    QLabel* comment_ = nullptr;
    QLabel* notes_ = nullptr;
    QChartView* view_ = nullptr;
    QListWidget* compare_ = nullptr;
    QLabel* rule_ = nullptr;
    bool ticking_ = false; // the window sets the ticks itself
    // Labels that stand upright, as the width of the plot asks.
    bool uprightNames_ = false;
    bool uprightValues_ = false;
};

} // namespace chart

// The module's entry point, looked up by name when the window loads the module.
// Returns the shown chart window, or nullptr when the report cannot be read
// (the user has been told).
extern "C" Q_DECL_EXPORT QWidget* framewise_open_chart(const std::string& reportPath,
                                         const std::vector<std::string>& archive,
                                         core::Dialogs& dialogs, QWidget* parent);
