// The chart module's entry point, looked up by name by the window.
#include "app/chart/chart_window.h"

extern "C" Q_DECL_EXPORT QWidget* framewise_open_chart(const std::string& reportPath,
                                                       const std::vector<std::string>& archive,
                                                       core::Dialogs& dialogs, QWidget* parent) {
    auto* window = new chart::ChartWindow(archive, dialogs, parent);
    if (!window->open(reportPath)) {
        delete window;
        return nullptr;
    }
    window->show();
    return window;
}
