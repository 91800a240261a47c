#include "help/help.h"

namespace help {

namespace {
// The maker's real hosts are not known to us; these stand under the reserved
// "example" domain until they are.
constexpr const char* kSite = "https://www.veltrix.example";
constexpr const char* kForumSite = "https://forums.veltrix.example";
} // namespace

std::string linkAddress(Link link) {
    switch (link) {
    case Link::Label8: return std::string(kSite) + "/tallywise/";
    case Link::Label12: return std::string(kForumSite) + "/forumdisplay.php?s=&forumid=38";
    case Link::Picture3: return std::string(kSite) + "/";
    case Link::Picture4: return kSite;
    }
    return kSite;
}

void Command1_Click(const std::string& appFolder, platform::Launcher& launcher) {
    // A missing guide is no reason not to try: the editor says so itself.
    launcher.openTextFile(appFolder + kGuideFileName);
}

void openLink(Link link, platform::Shell& shell) { shell.openAddress(linkAddress(link)); }

} // namespace help
