#include "platform/ordinary_file.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

std::string errorText(int error) {
    std::string text = std::strerror(error);
    if (!text.empty()) text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
    return text;
}

// Why a file of this kind is not read or written; empty for an ordinary file.
std::string kindProblem(mode_t mode) {
    if (S_ISREG(mode)) return {};
    if (S_ISDIR(mode)) return "it is a folder";
    if (S_ISFIFO(mode)) return "it is a FIFO, not an ordinary file";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "it is a device, not an ordinary file";
    if (S_ISSOCK(mode)) return "it is a socket, not an ordinary file";
    return "it is not an ordinary file";
}

std::string openProblem(int error) {
    if (error == ENOENT || error == ENOTDIR) return "it does not exist";
    if (error == EACCES || error == EPERM) return "permission denied";
    return errorText(error);
}

} // namespace

FileBytes readOrdinaryFile(const std::filesystem::path& path, std::uintmax_t limit) {
    FileBytes out;
    // The kind is checked before opening, so that no device is ever opened; the
    // open itself does not wait, should a FIFO have been put there in between.
    struct stat before {};
    if (::stat(path.c_str(), &before) != 0) {
        out.why = openProblem(errno);
        return out;
    }
    if (out.why = kindProblem(before.st_mode); !out.why.empty()) return out;
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        out.why = openProblem(errno);
        return out;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        out.why = errorText(errno);
    } else if (out.why = kindProblem(st.st_mode); out.why.empty()) {
        if (static_cast<std::uintmax_t>(st.st_size) > limit) {
            out.why = "it is larger than " + std::to_string(limit) + " bytes";
        } else {
            std::string bytes;
            bytes.reserve(static_cast<std::size_t>(st.st_size));
            char block[1 << 16];
            for (;;) {
                ssize_t n = ::read(fd, block, sizeof block);
                if (n < 0 && errno == EINTR) continue;
                if (n < 0) {
                    out.why = errorText(errno);
                    break;
                }
                if (n == 0) break;
                if (bytes.size() + static_cast<std::size_t>(n) > limit) {
                    out.why = "it is larger than " + std::to_string(limit) + " bytes";
                    break;
                }
                bytes.append(block, static_cast<std::size_t>(n));
            }
            if (out.why.empty()) out.bytes = std::move(bytes);
        }
    }
    ::close(fd);
    return out;
}

FileSink::~FileSink() {
    if (isOpen()) ::close(static_cast<int>(handle_));
}

std::string FileSink::open(const std::filesystem::path& path, Mode mode) {
    if (isOpen()) close();
    int flags = O_WRONLY | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    struct stat there {};
    if (mode == Mode::Fresh) {
        if (::lstat(path.c_str(), &there) == 0) {
            if (S_ISLNK(there.st_mode)) return "a link stands under that name";
            if (auto why = kindProblem(there.st_mode); !why.empty()) return why;
            if (::unlink(path.c_str()) != 0 && errno != ENOENT) return openProblem(errno);
        }
        // Exclusive creation never follows a link, even one planted just now.
        flags |= O_EXCL | O_NOFOLLOW;
    } else {
        if (::stat(path.c_str(), &there) == 0)
            if (auto why = kindProblem(there.st_mode); !why.empty()) return why;
        flags |= O_TRUNC;
    }
    int fd = ::open(path.c_str(), flags, 0666);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR) return "its folder does not exist";
        if (errno == EEXIST) return "something else was put under that name";
        if (errno == ENXIO) return "it is a FIFO, not an ordinary file";
        return openProblem(errno);
    }
    struct stat st {};
    std::string why;
    if (::fstat(fd, &st) != 0)
        why = errorText(errno);
    else
        why = kindProblem(st.st_mode);
    if (!why.empty()) {
        ::close(fd);
        return why;
    }
    // Writes may block like any ordinary file's.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    handle_ = fd;
    return {};
}

bool FileSink::write(const char* data, std::size_t size) {
    if (!isOpen()) return false;
    const int fd = static_cast<int>(handle_);
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            why_ = n < 0 ? std::strerror(errno) : "nothing could be written";
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool FileSink::sync() {
    if (!isOpen()) return false;
    int rc;
    do
        rc = ::fsync(static_cast<int>(handle_));
    while (rc != 0 && errno == EINTR);
    if (rc != 0) why_ = std::strerror(errno);
    return rc == 0;
}

bool FileSink::close() {
    if (!isOpen()) return false;
    const int fd = static_cast<int>(handle_);
    handle_ = kClosed;
    return ::close(fd) == 0;
}

std::string replaceProblem(const std::filesystem::path& path) {
    struct stat there {};
    if (::stat(path.c_str(), &there) != 0) return {};
    return kindProblem(there.st_mode);
}

std::string renameReplacing(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (::rename(from.c_str(), to.c_str()) == 0) return {};
    return errorText(errno);
}

std::string renameToFreeName(const std::filesystem::path& from, const std::filesystem::path& to,
                             bool& taken) {
    taken = false;
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return {};
    int error = errno;
    // File systems without that flag: a hard link fails just as surely on a name in use.
    if (error == EINVAL || error == ENOSYS) {
        if (::link(from.c_str(), to.c_str()) == 0) {
            ::unlink(from.c_str());
            return {};
        }
        error = errno;
    }
    if (error == EEXIST) {
        taken = true;
        return "something else stands under that name";
    }
    return errorText(error);
}

void syncFolder(const std::filesystem::path& folder) {
    int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace platform
