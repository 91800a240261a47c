#pragma once
// Refusing a second running copy of the program.
#include <memory>
#include <string>

namespace platform {

class SingleInstance {
public:
    virtual ~SingleInstance() = default;
};

// Holds the program-wide lock while the returned object lives; nothing when
// another copy already holds it.
std::unique_ptr<SingleInstance> acquireSingleInstance(const std::string& name);

} // namespace platform
