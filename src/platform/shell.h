#pragma once
// Opening web addresses in the user's browser.
#include <cstdint>
#include <memory>
#include <string>

namespace platform {

class Shell {
public:
    virtual ~Shell() = default;
    virtual void openAddress(const std::string& url) = 0;
};

// owner: the main window's native handle (0 when there is none).
std::unique_ptr<Shell> systemShell(std::uintptr_t owner);

} // namespace platform
