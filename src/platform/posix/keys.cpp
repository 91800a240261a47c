#include "platform/keys.h"

#include <chrono>
#include <thread>
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <map>
#include <optional>

namespace platform {

namespace {

// The keysym a key types, or nothing for a character no key can type.
std::optional<KeySym> keysymOf(const Key& key) {
    switch (key.kind) {
    case Key::Kind::Down:
        return XK_Down;
    case Key::Kind::Right:
        return XK_Right;
    case Key::Kind::Home:
        return XK_Home;
    case Key::Kind::Character:
        break;
    }
    const auto c = static_cast<unsigned char>(key.character);
    if (c == '\t') return XK_Tab;
    if (c == '\n' || c == '\r') return XK_Return;
    if (c == '\b') return XK_BackSpace;
    // Latin-1 keysyms are the character codes themselves; the blank is XK_space.
    if ((c >= 0x20 && c <= 0x7e) || c >= 0xa0) return static_cast<KeySym>(c);
    return std::nullopt;
}

bool protocolError = false;
int noteProtocolError(Display*, XErrorEvent*) {
    protocolError = true;
    return 0;
}

class XTestKeySender : public KeySender {
  public:
    ~XTestKeySender() override {
        if (!display_) return;
        for (const auto& [sym, code] : lent_) {
            KeySym none[2] = {NoSymbol, NoSymbol};
            changeMapping(code, none);
        }
        XCloseDisplay(display_);
    }

    bool send(const std::string& text, bool wait) override {
        const auto keys = parseKeys(text);
        std::vector<KeySym> syms;
        for (const auto& key : keys) {
            const auto sym = keysymOf(key);
            // Refuse the whole text rather than type part of it.
            if (!sym) return false;
            syms.push_back(*sym);
        }
        if (!open()) return false;
        for (const KeySym sym : syms) {
            if (!typeKeysym(sym)) return false;
        }
        if (wait) {
            XSync(display_, False);
        } else {
            XFlush(display_);
        }
        return true;
    }

    std::uintptr_t focusedWindow() override {
        if (!open()) return 0;
        Window focus = None;
        int revert = 0;
        XGetInputFocus(display_, &focus, &revert);
        return static_cast<std::uintptr_t>(focus);
    }

    bool waitForFocusChange(std::uintptr_t before, int timeoutMs) override {
        if (!open()) return false;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        do {
            const auto now = focusedWindow();
            // No focus, focus following the pointer, or the bare root window (where
            // the focus falls back when its window closes) is not a window to type into.
            if (now != before && now != None && now != PointerRoot &&
                now != DefaultRootWindow(display_))
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        } while (std::chrono::steady_clock::now() < deadline);
        return false;
    }

  private:
    bool open() {
        if (display_) return true;
        display_ = XOpenDisplay(nullptr);
        if (!display_) return false;
        int event, error, major, minor;
        if (!XTestQueryExtension(display_, &event, &error, &major, &minor)) {
            XCloseDisplay(display_);
            display_ = nullptr;
            return false;
        }
        return true;
    }

    void tap(KeyCode code, bool shift) {
        const KeyCode shiftCode = XKeysymToKeycode(display_, XK_Shift_L);
        if (shift && shiftCode) XTestFakeKeyEvent(display_, shiftCode, True, CurrentTime);
        XTestFakeKeyEvent(display_, code, True, CurrentTime);
        XTestFakeKeyEvent(display_, code, False, CurrentTime);
        if (shift && shiftCode) XTestFakeKeyEvent(display_, shiftCode, False, CurrentTime);
    }

    bool typeKeysym(KeySym sym) {
        if (const KeyCode code = XKeysymToKeycode(display_, sym)) {
            if (XkbKeycodeToKeysym(display_, code, 0, 0) == sym) {
                tap(code, false);
                return true;
            }
            if (XkbKeycodeToKeysym(display_, code, 0, 1) == sym) {
                tap(code, true);
                return true;
            }
            // Only on another group or level (AltGr): lend it a key of its own.
        }
        return typeOnSpareKey(sym);
    }

    // A character the keyboard map lacks (an accented letter on a US map) is
    // typed on a keycode that carries no symbol, lent to it until the sender
    // goes: the receiving client looks the map up when it handles the key, which
    // may be well after the stroke was sent.
    bool typeOnSpareKey(KeySym sym) {
        if (auto found = lent_.find(sym); found != lent_.end()) {
            tap(found->second, false);
            return true;
        }
        int low = 0, high = 0, perCode = 0;
        XDisplayKeycodes(display_, &low, &high);
        KeySym* map =
            XGetKeyboardMapping(display_, static_cast<KeyCode>(low), high - low + 1, &perCode);
        if (!map) return false;
        int spare = 0;
        for (int code = high; code >= low && !spare; --code) {
            bool empty = true;
            for (int i = 0; i < perCode; ++i) {
                if (map[(code - low) * perCode + i] != NoSymbol) empty = false;
            }
            if (empty) spare = code;
        }
        XFree(map);
        if (!spare) return false;

        KeySym both[2] = {sym, sym};
        if (!changeMapping(spare, both)) return false;
        lent_[sym] = static_cast<KeyCode>(spare);
        tap(static_cast<KeyCode>(spare), false);
        return true;
    }

    bool changeMapping(int code, KeySym* syms) {
        // A refused change must not end the program through Xlib's default handler.
        protocolError = false;
        auto previous = XSetErrorHandler(noteProtocolError);
        XChangeKeyboardMapping(display_, code, 2, syms, 1);
        XSync(display_, False);
        XSetErrorHandler(previous);
        return !protocolError;
    }

    std::map<KeySym, KeyCode> lent_;
    Display* display_ = nullptr;
};

} // namespace

std::unique_ptr<KeySender> systemKeySender() {
    return std::make_unique<XTestKeySender>();
}

} // namespace platform
