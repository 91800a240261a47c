#pragma once
// The archive: the results folder where every compiled report is kept, and its
// listing. The window's list, the chart's comparison and the command line all
// take it from here, so that they show the same reports in the same order.
#include <string>
#include <vector>

namespace results {

// Combo_Results' first entry, which stands for no report.
inline constexpr const char* kPlaceholder = "Previously Generated Results";

// appFolder + "User Results" + separator.
std::string resultsFolder(const std::string& appFolder);

// The full path of every report of the results folder, in the reverse of the
// listing order. A missing folder gives none.
std::vector<std::string> archivedReports(const std::string& appFolder);

// The entries of Combo_Results: the placeholder, then archivedReports.
std::vector<std::string> archiveItems(const std::string& appFolder);

// Of reports (paths), the one started last, by the moment its name holds
// (FRWb_mmddyy_hhmmss.txt, or _2, _3 ... for a later one of the same second).
// Names that are not the tool's are passed over; none of the tool's gives "".
std::string newestReport(const std::vector<std::string>& reports);

// The preview of a report's text: every line after a line end, so the box
// starts with an empty line.
std::string previewText(const std::string& report);

} // namespace results
