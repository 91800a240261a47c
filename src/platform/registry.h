#pragma once
// Read-only access to the machine's registry (HKEY_LOCAL_MACHINE, 32-bit view).
// On Linux it is the registry of the Wine prefix, where Windows programs such as
// the game are installed; without one every read answers nothing.
#include <cstdint>
#include <memory>
#include <string>

namespace platform {

struct RegistryValue {
    enum class Kind { Nothing, Text, Number };
    Kind kind = Kind::Nothing;
    std::string text;      // a text value as stored, with its terminating zero
    std::int32_t number = 0;
};

class Registry {
public:
    virtual ~Registry() = default;
    virtual RegistryValue readLocalMachine(const std::string& keyPath,
                                           const std::string& valueName) = 0;
    // The folder of this system that a registered Windows path names, or empty
    // when it names none. On Windows it is the path itself.
    virtual std::string localFolder(const std::string& registeredPath) { return registeredPath; }
};

std::unique_ptr<Registry> systemRegistry();

} // namespace platform
