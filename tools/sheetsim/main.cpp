// sheetsim [--save=<file>]: a grid window that takes keystrokes. With a save
// file (the option, else the environment variable SHEETSIM_SAVE) it saves the
// grid there after every key and writes <file>.ready once it has the focus.
//
// With SHEETSIM_HANDOFF naming a folder, it behaves as spreadsheets that keep
// one copy running: the first copy holds a lock there and opens a new window for
// each request file that appears in the folder; a later copy leaves its request
// (its save file) there, waits until the running copy took it, and ends.
#include "sheet_window.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QSaveFile>
#include <QThread>
#include <QTimer>
#include <QUuid>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr const char* kRequestSuffix = ".request";

// Takes the requests that later copies left: one new window each.
void serveRequests(const QDir& folder, std::vector<std::unique_ptr<SheetWindow>>& windows) {
    const auto names = folder.entryList({QString("*") + kRequestSuffix}, QDir::Files, QDir::Name);
    for (const QString& name : names) {
        QFile request(folder.filePath(name));
        if (!request.open(QIODevice::ReadOnly)) continue;
        const QString savePath = QString::fromUtf8(request.readAll());
        request.close();
        request.remove();
        auto window = std::make_unique<SheetWindow>(savePath);
        window->show();
        window->raise();
        window->activateWindow();
        windows.push_back(std::move(window));
    }
}

// A later copy: hands its save file to the running one. False when it was not taken.
bool handOver(const QDir& folder, const QString& savePath) {
    const QString name = folder.filePath(QUuid::createUuid().toString(QUuid::WithoutBraces) + kRequestSuffix);
    QSaveFile request(name);
    if (!request.open(QIODevice::WriteOnly) || request.write(savePath.toUtf8()) < 0 || !request.commit())
        return false;
    QDeadlineTimer deadline(10000);
    while (QFile::exists(name) && !deadline.hasExpired()) QThread::msleep(20);
    if (!QFile::exists(name)) return true;
    QFile::remove(name);
    return false;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QString savePath = qEnvironmentVariable("SHEETSIM_SAVE");
    const QString option = "--save=";
    for (const QString& arg : app.arguments().mid(1)) {
        if (arg.startsWith(option)) savePath = arg.mid(option.size());
    }

    const QString handoff = qEnvironmentVariable("SHEETSIM_HANDOFF");
    std::unique_ptr<QLockFile> running;
    std::vector<std::unique_ptr<SheetWindow>> windows;
    QTimer requests;
    if (!handoff.isEmpty()) {
        const QDir folder(handoff);
        running = std::make_unique<QLockFile>(folder.filePath("running.lock"));
        if (!running->tryLock(0)) {
            if (handOver(folder, savePath)) return 0;
            std::fprintf(stderr, "sheetsim: the running copy did not take the new sheet\n");
            return 1;
        }
        QObject::connect(&requests, &QTimer::timeout, [folder, &windows] { serveRequests(folder, windows); });
        requests.start(50);
    }

    SheetWindow window(savePath);
    window.show();
    window.raise();
    window.activateWindow();
    return app.exec();
}
