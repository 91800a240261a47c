#include "platform/display.h"

#include <X11/Xlib.h>
#include <cstdlib>
#include <string>
#include <string_view>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace platform {

namespace {

bool x11DisplayFound() {
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name) return false;
    Display* display = XOpenDisplay(name);
    if (!display) return false;
    XCloseDisplay(display);
    return true;
}

// The compositor's socket: WAYLAND_DISPLAY is a name in the runtime folder or a path.
bool waylandDisplayFound() {
    const char* name = std::getenv("WAYLAND_DISPLAY");
    if (!name || !*name) return false;
    std::string path = name;
    if (path.front() != '/') {
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        if (!runtime || !*runtime) return false;
        path = std::string(runtime) + "/" + path;
    }
    sockaddr_un address{};
    if (path.size() >= sizeof address.sun_path) return false;
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, path.size());
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    bool reached = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return reached;
}

} // namespace

bool desktopDisplayFound() {
    // QT_QPA_PLATFORM names the toolkit's platforms, tried in turn ("wayland;xcb").
    // One that needs no desktop (offscreen, vnc, ...) is the toolkit's business;
    // only X11 and Wayland are looked for here.
    const char* qpa = std::getenv("QT_QPA_PLATFORM");
    std::string_view chosen = qpa ? qpa : "";
    if (chosen.empty()) return x11DisplayFound() || waylandDisplayFound();
    while (!chosen.empty()) {
        auto end = chosen.find(';');
        std::string_view one = chosen.substr(0, end);
        chosen = end == std::string_view::npos ? std::string_view{} : chosen.substr(end + 1);
        if (one.starts_with("xcb")) {
            if (x11DisplayFound()) return true;
        } else if (one.starts_with("wayland")) {
            if (waylandDisplayFound()) return true;
        } else if (!one.empty()) {
            return true;
        }
    }
    return false;
}

} // namespace platform
