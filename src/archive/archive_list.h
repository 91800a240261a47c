#pragma once
// The list of archived reports shown in Combo_Results.
#include <string>
#include <vector>

namespace archive {

inline constexpr const char* kPlaceholder = "Previously Generated Results";

// appFolder + "User Results" + separator.
std::string resultsFolder(const std::string& appFolder);

// The placeholder first, then the full path of every report of the results
// folder in the reverse of the listing order. A missing folder gives the
// placeholder alone.
std::vector<std::string> archiveItems(const std::string& appFolder);

} // namespace archive
