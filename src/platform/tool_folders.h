#pragma once
// Where this copy of the tool keeps each user's files. One answer for the window
// and the command line, so that both always read and write the same files.
#include <string>

namespace platform {

// A file of this name beside the program marks a copy installed for every user of
// the machine by a package (Debian's, or an installer). Only such a package puts
// it there; a copy built or unpacked anywhere else has none and stays portable.
inline constexpr const char* kSystemWideMarker = "system-wide";

struct ToolFolders {
    std::string program;  // the running program's folder: guide, chart module, single-copy key
    std::string settings; // the remembered game folder, warning flag and spreadsheet path files
    std::string data;     // the folder that holds "User Results"
    bool systemWide = false;
};

// The folders of the running program (see toolFoldersOf).
ToolFolders toolFolders();

// A portable copy keeps everything in programFolder, as ever: its "User Results"
// folder is expected to be there and is never made. A system-wide copy keeps the
// small files in the user's settings folder and the reports in the user's data
// folder; both, and "User Results", are made when missing. Every value ends with
// the separator.
ToolFolders toolFoldersOf(const std::string& programFolder);

// The current user's folders for a system-wide copy, ending with the separator: on
// Linux $XDG_CONFIG_HOME/framewise/ and $XDG_DATA_HOME/framewise/ (by default
// ~/.config/framewise/ and ~/.local/share/framewise/); on Windows the user's
// roaming application data folder + "Framewise\" for both.
std::string userSettingsFolder();
std::string userDataFolder();

} // namespace platform
