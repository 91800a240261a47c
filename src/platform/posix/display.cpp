#include "platform/display.h"

#include <xcb/xcb.h>
#include <cstdlib>
#include <string>
#include <string_view>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace platform {

namespace {

// The open connection, or null. xcb, as the toolkit itself connects: Xlib's
// XOpenDisplay costs a few milliseconds more of locale and extension set-up.
xcb_connection_t* x11Display() {
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name) return nullptr;
    xcb_connection_t* connection = xcb_connect(name, nullptr);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return nullptr;
    }
    return connection;
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

DesktopDisplay::~DesktopDisplay() {
    if (x11_) xcb_disconnect(static_cast<xcb_connection_t*>(x11_));
}

DesktopDisplay findDesktopDisplay() {
    // QT_QPA_PLATFORM names the toolkit's platforms, tried in turn ("wayland;xcb").
    // One that needs no desktop (offscreen, vnc, ...) is the toolkit's business;
    // only X11 and Wayland are looked for here.
    const char* qpa = std::getenv("QT_QPA_PLATFORM");
    std::string_view chosen = qpa ? qpa : "";
    if (chosen.empty()) {
        if (xcb_connection_t* x11 = x11Display()) return DesktopDisplay(true, x11);
        return DesktopDisplay(waylandDisplayFound());
    }
    while (!chosen.empty()) {
        auto end = chosen.find(';');
        std::string_view one = chosen.substr(0, end);
        chosen = end == std::string_view::npos ? std::string_view{} : chosen.substr(end + 1);
        if (one.starts_with("xcb")) {
            if (xcb_connection_t* x11 = x11Display()) return DesktopDisplay(true, x11);
        } else if (one.starts_with("wayland")) {
            if (waylandDisplayFound()) return DesktopDisplay(true);
        } else if (!one.empty()) {
            return DesktopDisplay(true);
        }
    }
    return DesktopDisplay(false);
}

} // namespace platform
