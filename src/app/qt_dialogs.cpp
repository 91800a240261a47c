#include "app/qt_dialogs.h"

#include "app/qt_text.h"
#include "core/game_profile.h"

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
    // The game's locator also takes the programs of the other games it knows.
    std::string filters = filter;
    if (which == core::FileDialog::DIALOG_COD_FIND)
        for (const core::GameProfile* game : core::gameProfiles())
            if (game != &core::codProfile())
                filters += std::string(";;") + game->gameName + " (" + game->program + ")";
    QString chosen = QFileDialog::getOpenFileName(parent_, QString(), start, ::toQt(filters));
    if (!chosen.isEmpty()) last = fromQt(QDir::toNativeSeparators(chosen));
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
