#include "platform/posix/spawn.h"
#include "platform/shell.h"

namespace platform {

namespace {
class PosixShell : public Shell {
public:
    void openAddress(const std::string& url) override {
        // As on Windows, a failure to open a page is not reported.
        if (programOnPath("xdg-open")) spawnDetached({"xdg-open", url}, "");
    }
};
} // namespace

std::unique_ptr<Shell> systemShell(std::uintptr_t) { return std::make_unique<PosixShell>(); }

} // namespace platform
