#include "app/qt_dialogs.h"

#include "app/qt_text.h"
#include "core/game_profile.h"
#include "locate/locate.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>

namespace {

QMessageBox::StandardButton toQt(core::Answer a) {
    switch (a) {
    case core::Answer::Ok:
        return QMessageBox::Ok;
    case core::Answer::Yes:
        return QMessageBox::Yes;
    case core::Answer::No:
        return QMessageBox::No;
    case core::Answer::Cancel:
        return QMessageBox::Cancel;
    }
    return QMessageBox::NoButton;
}

// The locator's dialog: a program, as ever, or a game install's folder. Opening a
// folder that holds a game's data (or that data folder) chooses it; any other
// folder is entered, as in every file dialog. Qt's own dialog, on every system:
// a system's dialog for files can give no folder.
class LocatorDialog : public QFileDialog {
  public:
    LocatorDialog(QWidget* parent, const QString& start, const QString& filters)
        : QFileDialog(parent, QString(), start, filters) {
        setObjectName(QStringLiteral("LocatorDialog"));
        setFileMode(QFileDialog::ExistingFile);
        setOption(QFileDialog::DontUseNativeDialog);
    }
    std::string chosenFolder;

  protected:
    void accept() override {
        const QStringList files = selectedFiles();
        if (files.size() == 1) {
            if (auto folder =
                    locate::chosenInstallFolder(fromQt(QDir::toNativeSeparators(files.front())))) {
                chosenFolder = *folder;
                QDialog::accept();
                return;
            }
        }
        QFileDialog::accept();
    }
};

} // namespace

core::Answer QtDialogs::message(const core::Message& m) {
    QMessageBox box(parent_);
    box.setWindowTitle(::toQt(m.title));
    box.setText(::toQt(m.text));
    box.setTextFormat(Qt::PlainText);
    box.setIcon(m.icon == core::Icon::Critical ? QMessageBox::Critical : QMessageBox::NoIcon);
    switch (m.buttons) {
    case core::Buttons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case core::Buttons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case core::Buttons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
    box.setDefaultButton(toQt(m.defaultButton));
    // The help file named by the lookup's confirmations is not shipped: F1 does nothing.
    switch (box.exec()) {
    case QMessageBox::Yes:
        return core::Answer::Yes;
    case QMessageBox::No:
        return core::Answer::No;
    case QMessageBox::Cancel:
        return core::Answer::Cancel;
    case QMessageBox::Ok:
        return core::Answer::Ok;
    default:
        break;
    }
    // Closed with the window's close button: Qt reports the escape button.
    return m.buttons == core::Buttons::Ok ? core::Answer::Ok : core::Answer::No;
}

std::string QtDialogs::inputBox(const std::string& prompt, const std::string& title,
                                const std::string& defaultText) {
    bool ok = false;
    QString text = QInputDialog::getText(parent_, ::toQt(title), ::toQt(prompt), QLineEdit::Normal,
                                         ::toQt(defaultText), &ok);
    return ok ? fromQt(text) : std::string();
}

std::string QtDialogs::openFile(core::FileDialog which, const std::string& filter) {
    std::string& last = lastChoice_[which];
    QString start = last.empty() ? QString() : QFileInfo(::toQt(last)).absolutePath();
    if (which != core::FileDialog::DIALOG_COD_FIND) {
        QString chosen = QFileDialog::getOpenFileName(parent_, QString(), start, ::toQt(filter));
        if (!chosen.isEmpty()) last = fromQt(QDir::toNativeSeparators(chosen));
        return last;
    }
    // The game's locator also takes the other games it knows: their program, or
    // for a game told by its data, the folder holding that data.
    std::string filters = filter;
    for (const core::GameProfile* game : core::gameProfiles()) {
        if (game == &core::codProfile()) continue;
        filters += std::string(";;") + game->gameName + ": its program";
        if (*game->homeFolder)
            filters += std::string(", or the folder holding ") + game->dataFolder;
        filters += std::string(" (") + game->program + ")";
    }
    LocatorDialog dialog(parent_, start, ::toQt(filters));
    if (dialog.exec() == QDialog::Accepted) {
        if (!dialog.chosenFolder.empty())
            last = dialog.chosenFolder;
        else if (!dialog.selectedFiles().isEmpty())
            last = fromQt(QDir::toNativeSeparators(dialog.selectedFiles().front()));
    }
    return last;
}

std::string QtDialogs::saveFile(const std::string& title, const std::string& filter,
                                const std::string& suggestedName) {
    QString start = ::toQt(suggestedName);
    if (!lastSaveFolder_.empty()) start = QDir(::toQt(lastSaveFolder_)).filePath(start);
    QString chosen = QFileDialog::getSaveFileName(parent_, ::toQt(title), start, ::toQt(filter));
    if (chosen.isEmpty()) return {};
    lastSaveFolder_ = fromQt(QFileInfo(chosen).absolutePath());
    return fromQt(QDir::toNativeSeparators(chosen));
}

std::string QtDialogs::chooseFolder(const std::string& title, const std::string& start) {
    QString chosen = QFileDialog::getExistingDirectory(parent_, ::toQt(title), ::toQt(start));
    return chosen.isEmpty() ? std::string() : fromQt(QDir::toNativeSeparators(chosen));
}
