#include "platform/single_instance.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

class LockFile : public SingleInstance {
public:
    explicit LockFile(int fd) : fd_(fd) {}
    ~LockFile() override { ::close(fd_); }

private:
    int fd_;
};

SingleCopy failed(std::string why) {
    SingleCopy out;
    out.why = std::move(why);
    return out;
}

// Only a folder of this user that nobody else may write in keeps the guard:
// anyone who could put a file there could hold it.
std::string folderProblem(const std::string& folder) {
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0) return folder + ": " + std::strerror(errno);
    if (!S_ISDIR(st.st_mode)) return folder + " is not a folder";
    if (st.st_uid != ::getuid()) return folder + " belongs to another user";
    if (st.st_mode & (S_IWGRP | S_IWOTH)) return "other users can write in " + folder;
    return {};
}

} // namespace

std::string guardFile(const std::string& lockFolder, const std::string& name,
                      const std::string& installFolder) {
    return lockFolder + "/" + name + "-" + installTag(installFolder) + ".lock";
}

std::string singleCopyFolder() {
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found ||
        !found->pw_dir || found->pw_dir[0] != '/')
        return {};
    std::string home = found->pw_dir;
    if (home.size() > 1 && home.back() == '/') home.pop_back();
    return home + "/.local/state/framewise";
}

SingleCopy acquireSingleInstanceIn(const std::string& lockFolder, const std::string& name,
                                   const std::string& installFolder) {
    if (lockFolder.empty()) return failed("the user database gives this user no home folder");
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(lockFolder).parent_path(), ec);
    if (::mkdir(lockFolder.c_str(), 0700) != 0 && errno != EEXIST)
        return failed(lockFolder + " could not be made: " + std::strerror(errno));
    if (auto why = folderProblem(lockFolder); !why.empty()) return failed(why);

    const std::string path = guardFile(lockFolder, name, installFolder);
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0) return failed(path + ": " + std::strerror(errno));
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::getuid()) {
        ::close(fd);
        return failed(path + " is not an ordinary file of this user");
    }
    // The lock goes with the process, so a crashed copy never blocks the next start.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK) return {SingleCopy::State::Elsewhere, nullptr, {}};
        return failed(path + ": " + std::strerror(error));
    }
    return {SingleCopy::State::Held, std::make_unique<LockFile>(fd), {}};
}

SingleCopy acquireGameFolderGuard(const std::string& gameFolder) {
    // A lock on the folder itself: the same folder reached by any path is the
    // same open file, and no file of ours is left in the player's game folder.
    int fd = ::open(gameFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return failed(gameFolder + ": " + std::strerror(errno));
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK) return {SingleCopy::State::Elsewhere, nullptr, {}};
        return failed(gameFolder + ": " + std::strerror(error));
    }
    return {SingleCopy::State::Held, std::make_unique<LockFile>(fd), {}};
}

SingleCopy acquireSingleInstance(const std::string& name, const std::string& installFolder) {
    return acquireSingleInstanceIn(singleCopyFolder(), name, installFolder);
}

} // namespace platform
