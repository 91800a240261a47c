#pragma once
// FRAMEWISE_SHOWN_AT: print the wall-clock time (ns) once the window is on
// screen, so a script can measure start-up; then quit. The bare window that
// start-up is measured against uses the same code.
#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <cstdio>
#include <cstdlib>

inline void reportWhenShown(QWidget& window) {
    if (!std::getenv("FRAMEWISE_SHOWN_AT")) return;
    QTimer::singleShot(0, &window, [] {
        auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
                      std::chrono::system_clock::now().time_since_epoch())
                      .count();
        std::printf("shown_at_ns=%lld\n", static_cast<long long>(ns));
        std::fflush(stdout);
        QApplication::quit();
    });
}
