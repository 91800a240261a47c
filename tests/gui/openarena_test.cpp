// OpenArena in the window: the locator takes the folder holding baseoa as well as
// the program, and the Advanced tab sets where the game reads and writes
// (fs_homepath), which RUN then uses. Laid out as Debian installs the game.
#include "window_fixture.h"

#include "app/qt_dialogs.h"
#include "core/game_profile.h"
#include "locate/locate.h"

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

const char* kNotInRegistry = "Framewise was unable to find the location of\r\n\"CoDMP.exe\"in the "
                             "registry.\r\n  \r\nPlease Locate CoDMP.exe:";

class OpenArenaWindow : public WindowTest {
  protected:
    const fs::path home = tmp.path() / "home";
    const fs::path oa = tmp.path() / "openarena"; // an install: the program and baseoa
    const std::string ownWriteFolder = folderValue(home / ".openarena" / "baseoa");
    const ScopedHome homeSet{home};

    OpenArenaWindow() {
        writeFile(oa / "openarena", "program");
        writeFile(oa / "baseoa" / "pak0.pk3", "pak");
        writeFile(oa / "baseoa" / "demos" / "arena.dm_71", "demo");
    }

    std::string confirmation(const fs::path& folder) {
        return "Is: \"" + folderValue(folder) + "\"  the correct path to OpenArena?";
    }
    void rememberOpenArena() { writeFile(appFolder + "CoD_path.ini", crlf({folderValue(oa)})); }
};

// The real locator dialog: path is typed and Open pressed. Whether the dialog
// closed, or stayed open in the folder it entered.
struct Opened {
    std::string returned;
    bool stayedOpen = false;
    std::string folderShown;
};
Opened openInLocator(QtDialogs& qt, const fs::path& path) {
    Opened o;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            ADD_FAILURE() << "the locator's dialog is not on show";
            return;
        }
        dialog->selectFile(QString::fromStdString(path.string()));
        QMetaObject::invokeMethod(dialog, "accept");
        if (dialog->isVisible()) {
            o.stayedOpen = true;
            o.folderShown = dialog->directory().absolutePath().toStdString();
            dialog->reject();
        }
    });
    o.returned = qt.openFile(core::FileDialog::DIALOG_COD_FIND, "CoDMP.exe (CoDMP.exe)");
    return o;
}

TEST_F(OpenArenaWindow, TheLocatorDialogOpensAGameFolderAndEntersAnyOther) {
    QtDialogs qt;
    const fs::path plain = tmp.path() / "plain";
    writeFile(plain / "readme.txt", "text");
    struct Case {
        fs::path opened;
        std::string returned; // empty: the dialog stays open and is cancelled
    };
    const Case cases[] = {
        {oa, oa.string()},                               // the folder holding baseoa
        {oa / "baseoa", oa.string()},                    // baseoa itself: its install
        {oa / "openarena", (oa / "openarena").string()}, // the program, as ever
        {plain, ""},                                     // any other folder is entered
    };
    std::string previous;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.opened.string());
        const Opened o = openInLocator(qt, c.opened);
        if (c.returned.empty()) {
            EXPECT_TRUE(o.stayedOpen);
            EXPECT_EQ(o.folderShown, plain.string());
            EXPECT_EQ(o.returned, previous); // a cancel gives the last choice
        } else {
            EXPECT_FALSE(o.stayedOpen);
            EXPECT_EQ(o.returned, c.returned);
        }
        previous = o.returned;
    }
}

TEST_F(OpenArenaWindow, ChoosingTheFolderHoldingBaseoaOrBaseoaItselfFindsOpenArena) {
    // The program kept apart, as Debian does: the folder shows the game by its data.
    fs::remove(oa / "openarena");
    dialogs.expectMessage(kNotInRegistry)
        .expectFileChoice(oa.string())
        .expectMessage(confirmation(oa), core::Answer::Yes);
    ASSERT_TRUE(window->Form_Load());
    auto check = [&] {
        EXPECT_EQ(window->windowTitle().toStdString(),
                  "Framewise  v 1.0.0 Public Beta - OpenArena");
        EXPECT_EQ(window->folders().game, &core::openArenaProfile());
        EXPECT_EQ(window->folders().gameFolder, folderValue(oa));
        EXPECT_EQ(window->folders().mainFolder, ownWriteFolder);
        EXPECT_EQ(readFile(appFolder + "CoD_path.ini"), crlf({folderValue(oa)}));
        auto* demos = get<QListWidget>("DemoList");
        ASSERT_EQ(demos->count(), 1);
        EXPECT_EQ(demos->item(0)->text(), "arena.dm_71");
    };
    check();

    dialogs.expectMessage("Please Locate CoDMP.exe:")
        .expectFileChoice((oa / "baseoa").string())
        .expectMessage(confirmation(oa), core::Answer::Yes);
    get<QPushButton>("UpdateCODLoc")->click();
    ASSERT_FALSE(window->ended());
    check();
}

TEST_F(OpenArenaWindow, TheLocationAndHomeFolderFramesNameTheGame) {
    rememberGame();
    ASSERT_TRUE(window->Form_Load());
    EXPECT_TRUE(get("HomePathFrame")->isHidden());
    EXPECT_EQ(get<QGroupBox>("Frame2")->title().toStdString(), "Call Of Duty Location:");
    EXPECT_EQ(get<QLabel>("Label10")->text().toStdString(),
              "*Framewise requires the 1.2 version of Call Of Duty Multiplay");

    rememberOpenArena();
    window = std::make_unique<Framewise_Form1>(
        WindowServices{dialogs, registry, launcher, shell, clock, keys, appFolder});
    ASSERT_TRUE(window->Form_Load());
    EXPECT_FALSE(get("HomePathFrame")->isHidden());
    EXPECT_EQ(get<QGroupBox>("Frame2")->title().toStdString(), "OpenArena Location:");
    // The MAIN tab's notes speak of this game, not of Call of Duty's version and demo.
    for (const char* note : {"Label10", "Label13"}) {
        const std::string text = get<QLabel>(note)->text().toStdString();
        EXPECT_NE(text.find("OpenArena"), std::string::npos) << note << ": " << text;
        EXPECT_EQ(text.find("CoD"), std::string::npos) << note << ": " << text;
        EXPECT_EQ(text.find("Call Of Duty"), std::string::npos) << note << ": " << text;
    }
    EXPECT_EQ(get<QPushButton>("UpdateCODLoc")->text().toStdString(),
              "UpdateOpenArena Folder/EXE Location");
    EXPECT_EQ(get<QGroupBox>("HomePathFrame")->title().toStdString(),
              "OpenArena Home Folder (fs_homepath):");
    EXPECT_EQ(get<QLineEdit>("HomePathBox")->text().toStdString(),
              folderValue(home / ".openarena"));
    EXPECT_NE(get<QLabel>("HomePathWrites")->text().toStdString().find(ownWriteFolder),
              std::string::npos);
    EXPECT_FALSE(get("DefaultHomePath")->isEnabled());
}

// The chosen home folder is where RUN writes the scripts and the game is told to
// write; it is remembered in a file of its own, and the game's own comes back.
TEST_F(OpenArenaWindow, RunWritesInTheChosenHomeFolderAndTheChoiceIsRemembered) {
    rememberOpenArena();
    const std::string pathFile = readFile(appFolder + "CoD_path.ini");
    ASSERT_TRUE(window->Form_Load());
    const fs::path chosen = tmp.path() / "oa-home";
    const std::string writeFolder = folderValue(chosen / "baseoa");
    writeFile(chosen / "baseoa" / "q3config.cfg", "seta name player\n");
    writeFile(chosen / "baseoa" / "demos" / "mine.dm_71", "demo");

    // A folder the game's command line cannot take is refused.
    dialogs.expectFolderChoice((tmp.path() / "my games").string())
        .expectMessage("\"" + (tmp.path() / "my games").string() +
                       "\" cannot be OpenArena's home folder: the game takes no path holding "
                       "blanks, quotes or semicolons.\r\nThe home folder was not changed.");
    get<QPushButton>("ChooseHomePath")->click();
    EXPECT_EQ(window->folders().mainFolder, ownWriteFolder);

    dialogs.expectFolderChoice(chosen.string());
    get<QPushButton>("ChooseHomePath")->click();
    EXPECT_EQ(window->folders().mainFolder, writeFolder);
    EXPECT_EQ(get<QLineEdit>("HomePathBox")->text().toStdString(), folderValue(chosen));
    auto* demos = get<QListWidget>("DemoList");
    ASSERT_EQ(demos->count(), 2);
    EXPECT_EQ(demos->item(0)->text(), "mine.dm_71");

    writeFile(appFolder + "user1.ini", crlf({"E04F32BC300"})); // the warning was seen
    dialogs.expectInput("No Comment");
    get<QPushButton>("RUN")->click();
    ASSERT_EQ(launcher.calls.size(), 1u);
    EXPECT_EQ(launcher.calls[0].commandLine,
              "openarena +set fs_homepath " + chosen.string() + " +exec FRWb_lo.cfg");
    std::vector<std::string> scripts;
    for (const auto& name : namesIn(chosen / "baseoa"))
        if (name.rfind("FRWb_", 0) == 0) scripts.push_back(name);
    EXPECT_FALSE(scripts.empty());
    EXPECT_TRUE(fs::exists(chosen / "baseoa" / "q3config.bak"));
    EXPECT_FALSE(fs::exists(home / ".openarena" / "baseoa" / "FRWb_lo.cfg"));

    // The next start uses it; the game's path file means what it meant.
    window = std::make_unique<Framewise_Form1>(
        WindowServices{dialogs, registry, launcher, shell, clock, keys, appFolder});
    ASSERT_TRUE(window->Form_Load());
    EXPECT_EQ(window->folders().mainFolder, writeFolder);
    EXPECT_EQ(readFile(appFolder + "CoD_path.ini"), pathFile);

    ASSERT_TRUE(get("DefaultHomePath")->isEnabled());
    get<QPushButton>("DefaultHomePath")->click();
    EXPECT_EQ(window->folders().mainFolder, ownWriteFolder);
    EXPECT_FALSE(fs::exists(appFolder + locate::kHomePathFileName));
}

} // namespace
