#include "platform/registry.h"
#include "platform/win32/win32_calls.h"

#include <new>

namespace platform::mdlRegistry {

LONG queryValue(HKEY key, const std::string& name, RegistryValue& value) noexcept {
    DWORD kind = 0, size = 0;
    LONG status = ::RegQueryValueExA(key, name.c_str(), nullptr, &kind, nullptr, &size);
    if (status != ERROR_SUCCESS) return status;
    switch (kind) {
    case REG_SZ: {
        std::string buffer;
        try {
            buffer.assign(size, '\0');
        } catch (const std::bad_alloc&) {
            return ERROR_NOT_ENOUGH_MEMORY;
        }
        // The count reported includes the terminating zero, which is kept.
        status = ::RegQueryValueExA(key, name.c_str(), nullptr, nullptr,
                                    reinterpret_cast<LPBYTE>(buffer.data()), &size);
        if (status == ERROR_SUCCESS) {
            buffer.resize(size);
            value = RegistryValue{};
            value.kind = RegistryValue::Kind::Text;
            value.text = std::move(buffer);
        }
        return status;
    }
    case REG_DWORD: {
        DWORD number = 0;
        size = sizeof number;
        status = ::RegQueryValueExA(key, name.c_str(), nullptr, nullptr,
                                    reinterpret_cast<LPBYTE>(&number), &size);
        if (status == ERROR_SUCCESS) {
            value = RegistryValue{};
            value.kind = RegistryValue::Kind::Number;
            value.number = static_cast<std::int32_t>(number);
        }
        return status;
    }
    default:
        return -1;
    }
}

RegistryValue readValue(HKEY root, const std::string& keyPath, const std::string& name) noexcept {
    RegistryValue value;
    HKEY key = nullptr;
    // Read-only: a standard user may not open HKEY_LOCAL_MACHINE for writing. The
    // 32-bit view is where a 32-bit game registers itself on 64-bit Windows.
    if (::RegOpenKeyExA(root, keyPath.c_str(), 0, KEY_QUERY_VALUE | KEY_WOW64_32KEY, &key) !=
        ERROR_SUCCESS)
        return value;
    queryValue(key, name, value);
    ::RegCloseKey(key);
    return value;
}

} // namespace platform::mdlRegistry

namespace platform {

namespace {
class WindowsRegistry : public Registry {
  public:
    RegistryValue readLocalMachine(const std::string& keyPath,
                                   const std::string& valueName) override {
        return mdlRegistry::readValue(HKEY_LOCAL_MACHINE, keyPath, valueName);
    }
};
} // namespace

std::unique_ptr<Registry> systemRegistry() {
    return std::make_unique<WindowsRegistry>();
}

} // namespace platform
