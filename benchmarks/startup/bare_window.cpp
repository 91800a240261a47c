// The yardstick for the window's start-up: a bare Qt window, started and timed
// exactly as the tool is (FRAMEWISE_SHOWN_AT prints when it is on screen).
#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle("Framewise");
    window.resize(640, 480);
    window.show();
    if (std::getenv("FRAMEWISE_SHOWN_AT")) {
        QTimer::singleShot(0, &window, [] {
            auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
                          std::chrono::system_clock::now().time_since_epoch())
                          .count();
            std::printf("shown_at_ns=%lld\n", static_cast<long long>(ns));
            std::fflush(stdout);
            QApplication::quit();
        });
    }
    return app.exec();
}
