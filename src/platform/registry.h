#pragma once
// Read-only access to the machine's registry (HKEY_LOCAL_MACHINE, 32-bit view).
// Systems without a registry answer nothing.
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
};

std::unique_ptr<Registry> systemRegistry();

} // namespace platform
