#pragma once
// Directory lookups that answer the same on every system. Windows compares the
// name FindFirstFile returns; elsewhere the folder is scanned ignoring case and the
// stored name compared, so "codmp.exe" on disk never passes for "CoDMP.exe".
#include <optional>
#include <string>
#include <vector>

namespace platform {

// '\\' on Windows, '/' elsewhere: the end of every folder value.
char folderSeparator();

// The folder of the running program, ending with the separator.
std::string programFolder();

// The user's home folder as a game of this system takes it (HOME; on Windows
// USERPROFILE), ending with the separator; empty when it is not set.
std::string userHomeFolder();

// The folder of the first program of this name on the PATH, ending with the
// separator; nothing when there is none.
std::optional<std::string> programFolderOnPath(const std::string& name);

// True when folder holds a file or folder stored under exactly this name.
bool exactNamePresent(const std::string& folder, const std::string& name);

// The stored name of the entry that matches name ignoring case, if any.
std::optional<std::string> findIgnoringCase(const std::string& folder, const std::string& name);

// Ordinary files of a folder (no folders, no hidden or system files), in listing
// order. A missing folder gives none. With a pattern ("*.dm_2"), only the names
// that match it ignoring case, as the Windows listing does.
std::vector<std::string> listFiles(const std::string& folder, const std::string& pattern = "*");

// Copies the file from over to, replacing to when it exists (the mingw-w64
// std::filesystem::copy_file refuses to overwrite). False when it fails.
bool copyReplacing(const std::string& from, const std::string& to);
// The same copy; empty on success, else the system's reason.
std::string copyReplacingReason(const std::string& from, const std::string& to);

// Copies from over to through scratch (a name in to's folder) put on the disk and
// renamed into place, so that to is either replaced whole or left as it was. When
// to is a symbolic link and followLink is set, the file it points to is replaced
// and the link stays; otherwise the link itself is replaced. Empty on success,
// else the system's reason; scratch never stays behind.
std::string copyWhole(const std::string& from, const std::string& to, const std::string& scratch,
                      bool followLink = true);

// Deletes every ordinary file of folder whose name starts with prefix (exact case),
// except keep. Returns the names that could not be deleted.
std::vector<std::string> removeFilesStartingWith(const std::string& folder,
                                                 const std::string& prefix,
                                                 const std::string& keep = {});

// Wildcard match with * and ?, ignoring ASCII case.
bool matchesPattern(const std::string& name, const std::string& pattern);

} // namespace platform
