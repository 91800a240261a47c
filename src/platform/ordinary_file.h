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
    bool close();
    bool isOpen() const { return handle_ != kClosed; }

private:
    static constexpr std::intptr_t kClosed = -1;
    std::intptr_t handle_ = kClosed;
};

} // namespace platform
