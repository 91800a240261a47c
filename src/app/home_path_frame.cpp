#include "app/home_path_frame.h"

#include "app/qt_text.h"
#include "core/game_dialogs.h"
#include "locate/locate.h"
#include "platform/files.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// "+set fs_homepath " names the setting fs_homepath.
std::string settingName(const core::GameProfile& game) {
    std::string name = game.homePathOption;
    if (name.rfind("+set ", 0) == 0) name.erase(0, 5);
    while (!name.empty() && name.back() == ' ')
        name.pop_back();
    return name;
}

// The home folder the game uses now: the chosen one, else its own default.
std::string homeFolderOf(const core::GameFolders& folders) {
    std::string home = folders.homePath.empty()
                           ? platform::userHomeFolder() + folders.profile().homeFolder
                           : folders.homePath;
    if (!home.empty() && home.back() != platform::folderSeparator())
        home += platform::folderSeparator();
    return home;
}

} // namespace

HomePathFrame::HomePathFrame(QWidget* parent, core::Dialogs& dialogs, std::string appFolder,
                             std::function<void(const locate::Outcome&)> changed)
    : QGroupBox(parent), dialogs_(dialogs), appFolder_(std::move(appFolder)),
      changed_(std::move(changed)) {
    setObjectName(QStringLiteral("HomePathFrame"));
    auto* l = new QVBoxLayout(this);
    l->setSpacing(2);
    path_ = new QLineEdit(this);
    path_->setObjectName(QStringLiteral("HomePathBox"));
    path_->setEnabled(false); // shows a path, not for editing
    writes_ = new QLabel(this);
    writes_->setObjectName(QStringLiteral("HomePathWrites"));
    writes_->setTextFormat(Qt::PlainText);
    writes_->setWordWrap(true);
    choose_ = new QPushButton(QStringLiteral("Choose Home Folder..."), this);
    choose_->setObjectName(QStringLiteral("ChooseHomePath"));
    default_ = new QPushButton(this);
    default_->setObjectName(QStringLiteral("DefaultHomePath"));
    l->addWidget(path_);
    l->addWidget(writes_);
    auto* row = new QHBoxLayout;
    row->addWidget(choose_);
    row->addWidget(default_);
    row->addStretch();
    l->addLayout(row);
    connect(choose_, &QPushButton::clicked, this, [this] { choose(); });
    connect(default_, &QPushButton::clicked, this, [this] { useDefault(); });
    hide();
}

void HomePathFrame::showFor(const core::GameFolders& folders) {
    folders_ = folders;
    const core::GameProfile& game = folders.profile();
    if (!*game.homePathOption) {
        hide();
        return;
    }
    const std::string name = game.gameName;
    setTitle(toQt(name + " Home Folder (" + settingName(game) + "):"));
    path_->setText(toQt(homeFolderOf(folders)));
    writes_->setText(toQt(name + " reads and writes its " + game.configFile +
                          ", its demos and the benchmark's files in:\n" + folders.mainFolder));
    const std::string ownHome = std::string("~") + platform::folderSeparator() + game.homeFolder;
    default_->setText(toQt("Use The Game's Own (" + ownHome + ")"));
    default_->setEnabled(!folders.homePath.empty());
    show();
}

void HomePathFrame::choose() {
    const core::GameProfile& game = folders_.profile();
    std::string folder = dialogs_.chooseFolder(std::string(game.gameName) + " Home Folder (" +
                                                   settingName(game) + ")",
                                               homeFolderOf(folders_));
    while (folder.size() > 1 && folder.back() == platform::folderSeparator())
        folder.pop_back();
    if (folder.empty()) return;
    if (auto problem = locate::homePathProblem(folder); !problem.empty()) {
        core::tell(dialogs_, "\"" + folder + "\" cannot be " + game.gameName + "'s home folder: " +
                                 problem + ".\r\nThe home folder was not changed.");
        return;
    }
    std::string why;
    if (!locate::rememberHomePath(appFolder_, folder, &why)) {
        core::tell(dialogs_, "Framewise could not write " + appFolder_ + locate::kHomePathFileName +
                                 ": " + why + ".\r\nThe home folder was not changed.");
        return;
    }
    setUpAgain();
}

void HomePathFrame::useDefault() {
    std::string why;
    if (!locate::rememberHomePath(appFolder_, {}, &why)) {
        core::tell(dialogs_, "Framewise could not remove " + appFolder_ +
                                 locate::kHomePathFileName + ": " + why +
                                 ".\r\nThe home folder was not changed.");
        return;
    }
    setUpAgain();
}

// The game's folders follow the home folder: the write folder and its demos.
void HomePathFrame::setUpAgain() {
    core::GameNamedDialogs named(dialogs_, folders_.profile());
    auto setUp = locate::setUpGameFolder(appFolder_, named);
    if (setUp.status != locate::SetUp::Status::Ready) return;
    locate::Outcome outcome;
    outcome.proceed = true;
    outcome.folders = std::move(setUp.folders);
    outcome.demos = std::move(setUp.demos);
    changed_(outcome);
}
