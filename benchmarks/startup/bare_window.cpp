// The yardstick for the window's start-up: a bare Qt window, started and timed
// exactly as the tool is (FRAMEWISE_SHOWN_AT prints when it is on screen).
// With --with-label it holds one line of text in a layout: the least a window
// that shows any text pays, since the first text measured sets up the fonts.
#include "app/shown_at.h"

#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

#include <string_view>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle("Framewise");
    window.resize(640, 480);
    if (argc > 1 && std::string_view(argv[1]) == "--with-label")
        (new QVBoxLayout(&window))->addWidget(new QLabel("Framewise"));
    window.show();
    reportWhenShown(window);
    return app.exec();
}
