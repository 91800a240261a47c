#pragma once
// The chart of an archived report, and its comparison with a second one. Built
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
class QComboBox;
class QLabel;
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

    // The save buttons: the chart as PNG, the report's table as CSV.
    bool savePng();
    bool saveCsv();

    QChart* chart() const;
    const results::ChartModel& model() const { return model_; }
    const std::optional<results::Comparison>& comparison() const { return comparison_; }

  private:
    void draw();
    void fitLabels();
    void compareChosen(int index);
    bool saveBytes(const std::string& what, const std::string& filter, const std::string& suggested,
                   const std::function<bool(const std::string& tmp, std::string& why)>& write);

    std::vector<std::string> archive_;
    core::Dialogs& dialogs_;
    std::string path_;
    results::ReportTable table_;
    results::ChartModel model_;
    std::optional<results::ReportTable> baseTable_;
    std::optional<results::Comparison> comparison_;

    QWidget* area_ = nullptr; // what the PNG shows
    QLabel* title_ = nullptr;
    QLabel* comment_ = nullptr;
    QLabel* notes_ = nullptr;
    QChartView* view_ = nullptr;
    QComboBox* compare_ = nullptr;
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
