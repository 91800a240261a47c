#include "platform/single_instance.h"

#include <windows.h>

namespace platform {

namespace {
class NamedMutex : public SingleInstance {
  public:
    explicit NamedMutex(HANDLE h) : handle_(h) {}
    ~NamedMutex() override { ::CloseHandle(handle_); }

  private:
    HANDLE handle_;
};
} // namespace

std::unique_ptr<SingleInstance> acquireSingleInstance(const std::string& name) {
    // A backslash would name a kernel namespace; keep the name plain.
    std::string plain = name;
    for (auto& c : plain)
        if (c == '\\') c = '_';
    HANDLE h = ::CreateMutexA(nullptr, FALSE, plain.c_str());
    if (!h) return std::make_unique<SingleInstance>(); // cannot tell: do not refuse the user
    if (::GetLastError() == ERROR_ALREADY_EXISTS) {
        ::CloseHandle(h);
        return nullptr;
    }
    return std::make_unique<NamedMutex>(h);
}

} // namespace platform
