#pragma once
// Opening files by the rules every file of the tool follows: what is read must be
// an ordinary file of bounded size (a FIFO would hang the window, a device would
// never end), and a file that must be new is never reached through a link.
// Built into the core library, whose reader and writer rest on it.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace platform {

struct FileBytes {
    std::optional<std::string> bytes;
    std::string why; // when there are no bytes: "it is a folder", "it is larger than ..."
};

// The whole content of path (links followed) when it is an ordinary file of at
// most limit bytes. A folder, FIFO, device or socket is never opened for reading.
FileBytes readOrdinaryFile(const std::filesystem::path& path, std::uintmax_t limit);

// A file opened for writing.
class FileSink {
public:
    enum class Mode {
        Replace, // an ordinary file under the name (or its link target) is overwritten
        Fresh,   // created as a new file; an ordinary file there is deleted first, and
                 // a link or anything else under the name is an error
    };
    FileSink() = default;
    FileSink(const FileSink&) = delete;
    FileSink& operator=(const FileSink&) = delete;
    ~FileSink();

    // Empty on success, else why the file could not be opened.
    std::string open(const std::filesystem::path& path, Mode mode);
    bool write(const char* data, std::size_t size);
    // The system's reason for the last failed write or sync.
    const std::string& why() const { return why_; }
    // Forces what was written onto the disk, so a power cut after a later step
    // cannot leave that step without this file's data.
    bool sync();
    bool close();
    bool isOpen() const { return handle_ != kClosed; }

private:
    static constexpr std::intptr_t kClosed = -1;
    std::intptr_t handle_ = kClosed;
    std::string why_;
};

// Why the thing standing under path may not be replaced by a file ("it is a
// folder", "it is a FIFO, not an ordinary file"); empty when nothing stands there
// or an ordinary file does (a link to one counts as one).
std::string replaceProblem(const std::filesystem::path& path);

// Moves from over to in one step: to is either replaced whole or left as it was.
// A link standing under to is replaced itself, never followed. Empty on success,
// else the system's reason.
std::string renameReplacing(const std::filesystem::path& from, const std::filesystem::path& to);

// Moves from to the name to only when nothing stands there yet: nothing is ever
// replaced. taken is set when something already had that name.
std::string renameToFreeName(const std::filesystem::path& from, const std::filesystem::path& to,
                             bool& taken);

// Forces a folder's entries (a rename, a deletion made in it) onto the disk.
void syncFolder(const std::filesystem::path& folder);

} // namespace platform
