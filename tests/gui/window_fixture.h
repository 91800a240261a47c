#pragma once
// The real window with scripted dialogs, recording services and a real game
// install in a temporary folder.
#include "app/framewise_form1.h"

#include "platform/files.h"
#include "support/fakes.h"

#include <QApplication>
#include <QByteArray>
#include <QGroupBox>
#include <QTabWidget>
#include <gtest/gtest.h>
#include <filesystem>
#include <memory>

namespace testing_support {

inline QApplication& app() {
    static int argc = 1;
    static char name[] = "window_test";
    static char* argv[] = {name, nullptr};
    static QApplication* instance = [] {
        // Offscreen unless told otherwise: under Wine the Windows build has no
        // offscreen platform and runs on "windows" or "minimal".
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    return *instance;
}

// A folder value as the tool writes it: the path and the system's separator.
inline std::string folderValue(const std::filesystem::path& p) {
    return p.string() + platform::folderSeparator();
}

// HOME set for one test and given back after it, for the games that keep the
// player's files below it.
class ScopedHome {
  public:
    explicit ScopedHome(const std::filesystem::path& home)
        : old_(qgetenv("HOME")), had_(qEnvironmentVariableIsSet("HOME")) {
        qputenv("HOME", QByteArray::fromStdString(home.string()));
    }
    ~ScopedHome() { had_ ? (void)qputenv("HOME", old_) : (void)qunsetenv("HOME"); }
    ScopedHome(const ScopedHome&) = delete;
    ScopedHome& operator=(const ScopedHome&) = delete;

  private:
    QByteArray old_;
    bool had_;
};

class WindowTest : public ::testing::Test {
  protected:
    TempDir tmp;
    std::string appFolder = folderValue(tmp.path() / "app");
    std::string resultsFolder = folderValue(tmp.path() / "app" / "User Results");
    GameInstall game = makeGameInstall(tmp.path() / "game");
    ScriptedDialogs dialogs;
    FakeRegistry registry;
    RecordingLauncher launcher;
    RecordingShell shell;
    FixedClock clock;
    RecordingKeySender keys;
    std::unique_ptr<Framewise_Form1> window;

    WindowTest() {
        app();
        std::filesystem::create_directories(appFolder);
        window = std::make_unique<Framewise_Form1>(
            WindowServices{dialogs, registry, launcher, shell, clock, keys, appFolder});
    }

    void rememberGame() { writeFile(appFolder + "CoD_path.ini", crlf({folderValue(game.root)})); }

    template <class W = QWidget> W* get(const char* name) {
        auto* w = window->findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QTabWidget* tabs() { return get<QTabWidget>("SSTab1"); }

    // The frame, tab or window a control sits in, as the window's vocabulary names it.
    std::string placeOf(QWidget* w) {
        for (QWidget* p = w->parentWidget(); p; p = p->parentWidget()) {
            if (qobject_cast<QGroupBox*>(p)) return p->objectName().toStdString();
            int tab = tabs()->indexOf(p);
            if (tab >= 0) return "tab " + tabs()->tabText(tab).toStdString();
            if (p == window.get()) return "window";
        }
        return "?";
    }
};

} // namespace testing_support
