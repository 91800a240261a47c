#include "app/framewise_form1.h"
#include "app/qt_dialogs.h"
#include "app/shown_at.h"

#include "help/help.h"
#include "locate/locate.h"
#include "platform/display.h"
#include "platform/files.h"
#include "platform/shell.h"
#include "platform/single_instance.h"
#include "platform/tool_folders.h"

#include <QApplication>
#include <QDir>
#include <QTabWidget>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string_view>

namespace {

// FRAMEWISE_SCREENSHOTS=<folder>: save a picture of every tab there and quit.
void saveScreenshots(Framewise_Form1& window, const QString& folder) {
    QDir().mkpath(folder);
    auto* tabs = window.findChild<QTabWidget*>(QStringLiteral("SSTab1"));
    const char* names[] = {"1-main", "2-custom-config", "3-compile-results", "4-advanced",
                           "5-about-help"};
    for (int i = 0; i < tabs->count(); ++i) {
        tabs->setCurrentIndex(i);
        window.grab().save(folder + QStringLiteral("/%1.png").arg(QLatin1String(names[i])));
    }
    tabs->setCurrentIndex(2);
    window.setExcelFrameVisible(true);
    window.grab().save(folder + QStringLiteral("/6-excel-panel.png"));
}

// Web pages open with the main window as their owner, which exists only after
// the services are handed to it.
class OwnedShell : public platform::Shell {
  public:
    QWidget* owner = nullptr;
    void openAddress(const std::string& url) override {
        auto handle = owner ? static_cast<std::uintptr_t>(owner->winId()) : 0;
        platform::systemShell(handle)->openAddress(url);
    }
};

} // namespace

int main(int argc, char** argv) {
    // --check-guide: say where the guide is expected and whether it is there
    // (used to check an installed copy without opening the window).
    if (argc == 2 && std::string_view(argv[1]) == "--check-guide") {
        std::string guide = platform::programFolder() + help::kGuideFileName;
        bool present = platform::exactNamePresent(platform::programFolder(), help::kGuideFileName);
        std::printf("%s %s\n", guide.c_str(), present ? "found" : "missing");
        return present ? 0 : 1;
    }
    std::optional<platform::DesktopDisplay> display = platform::findDesktopDisplay();
    if (!*display) {
        std::fputs("Framewise needs a desktop display (no X11 or Wayland display found)\n", stderr);
        return 1;
    }
    QApplication app(argc, argv);
    display.reset(); // the toolkit's own connection is open now
    QtDialogs dialogs;

    const platform::ToolFolders folders = platform::toolFolders();
    auto single = platform::acquireSingleInstance("framewise", folders.program);
    if (single.state == platform::SingleCopy::State::Elsewhere) {
        core::tell(dialogs, locate::kAlreadyRunning);
        return 0;
    }
    // Another user's doing must not keep this user from working: tell, and go on.
    if (single.state == platform::SingleCopy::State::Failed)
        core::tell(dialogs, locate::noSingleCopyGuardText(single.why));

    auto registry = platform::systemRegistry();
    auto launcher = platform::systemLauncher();
    OwnedShell shell;
    auto clock = platform::systemClock();
    auto keys = platform::systemKeySender();
    Framewise_Form1 window({dialogs, *registry, *launcher, shell, *clock, *keys, folders.settings,
                            folders.data, folders.program});
    dialogs.setParent(&window);
    shell.owner = &window;
    if (!window.Form_Load()) return 0;
    window.show();

    reportWhenShown(window);
    if (const char* folder = std::getenv("FRAMEWISE_SCREENSHOTS")) {
        QTimer::singleShot(200, &window, [&window, folder] {
            saveScreenshots(window, QString::fromLocal8Bit(folder));
            QApplication::quit();
        });
    }
    return app.exec();
}
