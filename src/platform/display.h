#pragma once
// Whether a window can be shown at all, asked before the window toolkit starts:
// without a display it would end the program with an abort and advice to reinstall.

namespace platform {

// The answer, holding the X11 connection made to find it until it is destroyed.
// Keep it until the toolkit has made its own connection: an X server with no
// other client resets itself when the last one leaves, and the toolkit's
// connection would wait for the reset (about 80 ms under Xvfb).
class DesktopDisplay {
public:
    explicit DesktopDisplay(bool found, void* x11 = nullptr) : found_(found), x11_(x11) {}
    DesktopDisplay(DesktopDisplay&& other) noexcept : found_(other.found_), x11_(other.x11_) {
        other.x11_ = nullptr;
    }
    DesktopDisplay& operator=(DesktopDisplay&&) = delete;
    ~DesktopDisplay();

    explicit operator bool() const { return found_; }

private:
    bool found_ = false;
    void* x11_ = nullptr;
};

// Found when the program can reach a desktop display (always on Windows).
DesktopDisplay findDesktopDisplay();

} // namespace platform
