// chart_pictures APP_FOLDER OUT_FOLDER: pictures of the chart window on the
// archive of APP_FOLDER, for scripts/screenshots. The newest report is shown
// alone, then compared with the one before it, and, with three reports, the
// oldest with the two after it.
// Not installed; the window never starts this.
#include "app/chart/chart_window.h"
#include "results/archive_list.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QPixmap>

#include <iostream>

namespace {

// Any message is a fault here: say it and let the picture fail.
class ToldDialogs : public core::Dialogs {
public:
    bool told = false;
    core::Answer message(const core::Message& m) override {
        std::cerr << m.text << "\n";
        told = true;
        return core::Answer::Ok;
    }
    std::string inputBox(const std::string&, const std::string&, const std::string&) override { return {}; }
    std::string openFile(core::FileDialog, const std::string&) override { return {}; }
};

void settle() {
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 200) QApplication::processEvents(QEventLoop::AllEvents, 50);
}

bool save(QWidget& window, const QString& path) {
    // The chart lays out its plot when drawn, and fits its labels to the plot
    // on the events after that: the second picture is the one a user sees.
    settle();
    window.grab();
    settle();
    if (window.grab().save(path, "PNG")) return true;
    std::cerr << "Could not write " << path.toStdString() << "\n";
    return false;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 3) {
        std::cerr << "usage: chart_pictures APP_FOLDER OUT_FOLDER\n";
        return 2;
    }
    std::string appFolder = argv[1];
    if (!appFolder.empty() && appFolder.back() != '/') appFolder += '/';
    const QString out = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(out);

    const auto reports = results::archivedReports(appFolder);
    if (reports.size() < 2) {
        std::cerr << "Two archived reports are needed in " << results::resultsFolder(appFolder) << "\n";
        return 1;
    }
    ToldDialogs dialogs;
    chart::ChartWindow window(reports, dialogs);
    if (!window.open(reports[0])) return 1;
    window.show();
    if (!save(window, out + "/7-chart.png")) return 1;
    if (!window.compareWith(reports[1])) return 1;
    if (!save(window, out + "/8-chart-compare.png")) return 1;
    if (reports.size() >= 3) {
        // The oldest first, the later ones judged against it, as a user ticks them.
        if (!window.open(reports[2])) return 1;
        if (!window.compareWithMany({reports[1], reports[0]})) return 1;
        if (!save(window, out + "/9-chart-compare-three.png")) return 1;
    }
    return dialogs.told ? 1 : 0;
}
