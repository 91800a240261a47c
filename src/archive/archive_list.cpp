#include "archive/archive_list.h"

#include "platform/files.h"

namespace archive {

std::string resultsFolder(const std::string& appFolder) {
    return appFolder + "User Results" + platform::folderSeparator();
}

std::vector<std::string> archiveItems(const std::string& appFolder) {
    std::vector<std::string> items{kPlaceholder};
    const std::string folder = resultsFolder(appFolder);
    auto names = platform::listFiles(folder);
    for (auto it = names.rbegin(); it != names.rend(); ++it) items.push_back(folder + *it);
    return items;
}

} // namespace archive
