// The yardstick for the window's start-up: a bare Qt window, started and timed
// exactly as the tool is (FRAMEWISE_SHOWN_AT prints when it is on screen).
#include "app/shown_at.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle("Framewise");
    window.resize(640, 480);
    window.show();
    reportWhenShown(window);
    return app.exec();
}
