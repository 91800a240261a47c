#include "platform/posix/spawn.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace platform {

bool programOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    if (!path) return false;
    std::istringstream dirs(path);
    for (std::string dir; std::getline(dirs, dir, ':');) {
        std::string full = (dir.empty() ? "." : dir) + "/" + name;
        if (::access(full.c_str(), X_OK) == 0) return true;
    }
    return false;
}

LaunchResult spawnDetached(const std::vector<std::string>& argv, const std::string& workingFolder) {
    if (argv.empty()) return {false, "No program to start."};
    // A pipe that closes on exec tells the parent whether exec worked.
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) return {false, std::strerror(errno)};
    pid_t child = ::fork();
    if (child < 0) {
        ::close(report[0]);
        ::close(report[1]);
        return {false, std::strerror(errno)};
    }
    if (child == 0) {
        // Fork twice so that the program is not our child and leaves no zombie.
        ::setsid();
        pid_t grandchild = ::fork();
        if (grandchild != 0) ::_exit(grandchild < 0 ? 1 : 0);
        int err = 0;
        if (!workingFolder.empty() && ::chdir(workingFolder.c_str()) != 0) err = errno;
        if (err == 0) {
            std::vector<char*> args;
            for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
            args.push_back(nullptr);
            ::execvp(args[0], args.data());
            err = errno;
        }
        [[maybe_unused]] auto n = ::write(report[1], &err, sizeof err);
        ::_exit(127);
    }
    ::close(report[1]);
    int status = 0;
    ::waitpid(child, &status, 0);
    int err = 0;
    ssize_t got = ::read(report[0], &err, sizeof err);
    ::close(report[0]);
    if (got == static_cast<ssize_t>(sizeof err))
        return {false, "Could not start \"" + argv[0] + "\": " + std::strerror(err)};
    return {true, {}};
}

} // namespace platform
