#include "platform/single_instance.h"

#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace platform {

namespace {
class LockFile : public SingleInstance {
public:
    explicit LockFile(int fd) : fd_(fd) {}
    ~LockFile() override { ::close(fd_); }

private:
    int fd_;
};

std::string lockFolder() {
    if (const char* dir = std::getenv("XDG_RUNTIME_DIR"); dir && *dir) return dir;
    return "/tmp";
}
} // namespace

std::unique_ptr<SingleInstance> acquireSingleInstance(const std::string& name) {
    // The lock goes with the process, so a crashed copy never blocks the next start.
    std::string path = lockFolder() + "/" + name + "-" + std::to_string(::getuid()) + ".lock";
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return std::make_unique<SingleInstance>(); // cannot tell: do not refuse the user
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<LockFile>(fd);
}

} // namespace platform
