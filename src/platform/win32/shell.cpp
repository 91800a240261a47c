#include "platform/shell.h"
#include "platform/win32/win32_calls.h"

namespace platform {

namespace {
class WindowsShell : public Shell {
  public:
    explicit WindowsShell(std::uintptr_t owner) : owner_(reinterpret_cast<HWND>(owner)) {}
    void openAddress(const std::string& url) override {
        // A page that cannot be opened is not reported: the user sees nothing happen.
        win32::shellExecute(owner_, "open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    }

  private:
    HWND owner_;
};
} // namespace

std::unique_ptr<Shell> systemShell(std::uintptr_t owner) {
    return std::make_unique<WindowsShell>(owner);
}

} // namespace platform
