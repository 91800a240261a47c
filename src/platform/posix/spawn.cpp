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

namespace {

// In the child: go to the working folder and become the program; on failure the
// reason goes down the pipe.
[[noreturn]] void execInChild(const std::vector<std::string>& argv,
                              const std::string& workingFolder, int reportFd) {
    // A program we start outlives us, so it gets no stream of ours: holding the
    // write end of a pipe that our output goes to, the game would keep
    // "framewise-cli run | tail -1" waiting until it quits, and on our terminal
    // it would take keys and print over it. Its own logs are its business.
    if (reportFd <= STDERR_FILENO) reportFd = ::fcntl(reportFd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    const int null = ::open("/dev/null", O_RDWR);
    if (null >= 0) {
        for (int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO})
            ::dup2(null, fd);
        if (null > STDERR_FILENO) ::close(null);
    }
    int err = 0;
    if (!workingFolder.empty() && ::chdir(workingFolder.c_str()) != 0) err = errno;
    if (err == 0) {
        std::vector<char*> args;
        for (const auto& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        ::execvp(args[0], args.data());
        err = errno;
    }
    [[maybe_unused]] auto n = ::write(reportFd, &err, sizeof err);
    ::_exit(127);
}

// Reads the child's report: nothing arrives when exec worked (the pipe closed on exec).
LaunchResult execOutcome(int reportFd, const std::string& program) {
    int err = 0;
    ssize_t got = ::read(reportFd, &err, sizeof err);
    ::close(reportFd);
    if (got == static_cast<ssize_t>(sizeof err))
        return {false, "Could not start \"" + program + "\": " + std::strerror(err)};
    return {true, {}};
}

} // namespace

LaunchResult spawnChild(const std::vector<std::string>& argv, const std::string& workingFolder,
                        int& pid) {
    if (argv.empty()) return {false, "No program to start."};
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) return {false, std::strerror(errno)};
    pid_t child = ::fork();
    if (child < 0) {
        ::close(report[0]);
        ::close(report[1]);
        return {false, std::strerror(errno)};
    }
    if (child == 0) {
        ::setsid();
        execInChild(argv, workingFolder, report[1]);
    }
    ::close(report[1]);
    auto outcome = execOutcome(report[0], argv[0]);
    if (outcome.started) {
        pid = child;
        outcome.processId = child;
    } else {
        int status = 0;
        ::waitpid(child, &status, 0);
    }
    return outcome;
}

LaunchResult spawnDetached(const std::vector<std::string>& argv, const std::string& workingFolder) {
    if (argv.empty()) return {false, "No program to start."};
    // A pipe that closes on exec tells the parent whether exec worked; another
    // carries the program's process id.
    int report[2], started[2];
    if (::pipe2(report, O_CLOEXEC) != 0) return {false, std::strerror(errno)};
    if (::pipe2(started, O_CLOEXEC) != 0) {
        const int err = errno;
        ::close(report[0]);
        ::close(report[1]);
        return {false, std::strerror(err)};
    }
    pid_t child = ::fork();
    if (child < 0) {
        const int err = errno;
        for (int fd : {report[0], report[1], started[0], started[1]}) ::close(fd);
        return {false, std::strerror(err)};
    }
    if (child == 0) {
        // Fork twice so that the program is not our child and leaves no zombie.
        ::setsid();
        pid_t grandchild = ::fork();
        if (grandchild != 0) {
            [[maybe_unused]] auto n = ::write(started[1], &grandchild, sizeof grandchild);
            ::_exit(grandchild < 0 ? 1 : 0);
        }
        execInChild(argv, workingFolder, report[1]);
    }
    ::close(report[1]);
    ::close(started[1]);
    int status = 0;
    ::waitpid(child, &status, 0);
    pid_t program = 0;
    if (::read(started[0], &program, sizeof program) != static_cast<ssize_t>(sizeof program))
        program = 0;
    ::close(started[0]);
    auto outcome = execOutcome(report[0], argv[0]);
    if (outcome.started && program <= 0)
        return {false, "Could not start \"" + argv[0] + "\": the system could not make a new process"};
    outcome.processId = program;
    return outcome;
}

} // namespace platform
