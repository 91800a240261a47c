// sheetsim [--save=<file>]: a grid window that takes keystrokes. With a save
// file (the option, else the environment variable SHEETSIM_SAVE) it saves the
// grid there after every key and writes <file>.ready once it has the focus.
#include "sheet_window.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QString savePath = qEnvironmentVariable("SHEETSIM_SAVE");
    const QString option = "--save=";
    for (const QString& arg : app.arguments().mid(1)) {
        if (arg.startsWith(option)) savePath = arg.mid(option.size());
    }
    SheetWindow window(savePath);
    window.show();
    window.raise();
    window.activateWindow();
    return app.exec();
}
