#include "platform/keys.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <thread>
#include <unistd.h>
#include <variant>

namespace platform {

namespace {

// The text of this system is UTF-8, as the window shows it. A character, or
// the words that say why the bytes at pos are none.
std::variant<char32_t, std::string> nextCharacter(const std::string& text, std::size_t& pos) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(pos);
    auto notUtf8 = [&] {
        char words[64];
        std::snprintf(words, sizeof words, "the byte 0x%02X, which is no UTF-8 character", lead);
        return std::string(words);
    };
    int more = 0;
    char32_t c = 0;
    if (lead < 0x80) {
        c = lead;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        more = 1, c = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        more = 2, c = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        more = 3, c = lead & 0x07;
    } else {
        return notUtf8();
    }
    if (pos + more >= text.size()) return notUtf8();
    for (int i = 1; i <= more; ++i) {
        if ((byte(pos + i) & 0xC0) != 0x80) return notUtf8();
        c = (c << 6) | (byte(pos + i) & 0x3F);
    }
    // Overlong forms, surrogates and values past Unicode are not characters.
    static const char32_t least[] = {0, 0x80, 0x800, 0x10000};
    if (c < least[more] || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) return notUtf8();
    pos += 1 + more;
    return c;
}

std::string characterWords(char32_t c) {
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
    if (c < 0x20 || (c >= 0x7F && c < 0xA0)) return std::string("the control character ") + code;
    std::string utf8;
    if (c < 0x80) {
        utf8 += static_cast<char>(c);
    } else if (c < 0x800) {
        utf8 += static_cast<char>(0xC0 | (c >> 6));
        utf8 += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        utf8 += static_cast<char>(0xE0 | (c >> 12));
        utf8 += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        utf8 += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        utf8 += static_cast<char>(0xF0 | (c >> 18));
        utf8 += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        utf8 += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        utf8 += static_cast<char>(0x80 | (c & 0x3F));
    }
    return "\"" + utf8 + "\" (" + code + ")";
}

// The keysym that types c, or nothing for a control character no key types.
std::optional<KeySym> keysymOf(char32_t c) {
    if (c == '\t') return XK_Tab;
    if (c == '\n' || c == '\r') return XK_Return;
    if (c == '\b') return XK_BackSpace;
    if (c < 0x20 || (c >= 0x7F && c < 0xA0)) return std::nullopt;
    // Latin-1 keysyms are the character codes themselves (the blank is XK_space);
    // every other character has the keysym of its Unicode value.
    if (c <= 0xFF) return static_cast<KeySym>(c);
    return static_cast<KeySym>(0x01000000 | c);
}

bool protocolError = false;
int noteProtocolError(Display*, XErrorEvent*) {
    protocolError = true;
    return 0;
}

// The parent process of pid, or 0 when it cannot be told.
long parentOf(long pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) return 0;
    // The command name in parentheses may hold blanks: read after its last ")".
    const auto close = line.rfind(')');
    if (close == std::string::npos) return 0;
    std::istringstream rest(line.substr(close + 1));
    char state = 0;
    long parent = 0;
    rest >> state >> parent;
    return parent;
}

bool isSameOrDescendant(long pid, long ancestor) {
    // Bounded: a damaged process table must not hold the typing forever.
    for (int depth = 0; pid > 1 && depth < 64; ++depth) {
        if (pid == ancestor) return true;
        pid = parentOf(pid);
    }
    return false;
}

// A field of /proc/PID/stat, counted from 1 (the process id) as proc(5) counts
// them; empty when it cannot be read.
std::string statField(long pid, int field) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) return {};
    const auto close = line.rfind(')');
    if (close == std::string::npos) return {};
    std::istringstream rest(line.substr(close + 1));
    std::string word;
    for (int at = 3; at <= field && rest >> word; ++at)
        if (at == field) return word;
    return {};
}

std::vector<std::string> argumentsOf(long pid) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/cmdline", std::ios::binary);
    std::vector<std::string> out;
    for (std::string arg; std::getline(file, arg, '\0');) out.push_back(arg);
    return out;
}

bool isScript(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    char head[2] = {};
    return file.read(head, 2) && head[0] == '#' && head[1] == '!';
}

// The program a process runs, as its executable's path; empty where the
// executable says nothing of the program: a script's interpreter (the kernel
// puts the script right after it and its one option) and Wine's loader, which
// runs every Windows program alike.
std::string programImage(long pid) {
    char exe[PATH_MAX];
    const ssize_t length =
        ::readlink(("/proc/" + std::to_string(pid) + "/exe").c_str(), exe, sizeof exe);
    if (length <= 0 || length == static_cast<ssize_t>(sizeof exe)) return {};
    const std::string image(exe, static_cast<std::size_t>(length));
    if (std::filesystem::path(image).filename().string().rfind("wine", 0) == 0) return {};
    const auto args = argumentsOf(pid);
    for (std::size_t i = 1; i < args.size() && i <= 2; ++i)
        if (isScript(args[i])) return {};
    return image;
}

// The processes a launch started, as far as they are still running: the one it
// started and its descendants. Each one's program is noted while it runs, since a
// starter that hands its work to a copy already running ends within moments.
class LaunchedPrograms {
  public:
    explicit LaunchedPrograms(long root) : root_(root), rootStart_(statField(root, 22)) {}

    void note() {
        // The id of a started process that ended may be given to another one.
        if (rootStart_.empty() || statField(root_, 22) != rootStart_) return;
        std::vector<long> todo{root_};
        // Bounded: a program that starts processes without end must not hold the wait.
        for (std::size_t i = 0; i < todo.size() && todo.size() < 512; ++i) {
            if (auto image = programImage(todo[i]); !image.empty()) images_.insert(image);
            std::error_code error;
            const std::string tasks = "/proc/" + std::to_string(todo[i]) + "/task";
            for (const auto& task : std::filesystem::directory_iterator(tasks, error)) {
                std::ifstream children(task.path() / "children");
                for (long child = 0; children >> child;) todo.push_back(child);
            }
        }
    }

    // Whether the process pid runs one of the programs noted, or another program
    // of the same folder (a starter beside the program it hands over to), where
    // that folder is no shared folder of programs.
    bool runsOne(long pid) const {
        const std::string image = programImage(pid);
        if (image.empty()) return false;
        if (images_.count(image)) return true;
        const auto folder = std::filesystem::path(image).parent_path();
        if (sharedFolder(folder)) return false;
        for (const auto& noted : images_)
            if (std::filesystem::path(noted).parent_path() == folder) return true;
        return false;
    }

  private:
    // The folders of the search path and the system's folders of helper programs
    // hold the programs of many packages.
    static bool sharedFolder(const std::filesystem::path& folder) {
        std::error_code error;
        auto same = [&](const std::filesystem::path& other) {
            return std::filesystem::equivalent(folder, other, error);
        };
        if (same("/usr/libexec") || same("/usr/local/libexec")) return true;
        if (const char* path = std::getenv("PATH")) {
            std::istringstream dirs(path);
            for (std::string dir; std::getline(dirs, dir, ':');)
                if (!dir.empty() && same(dir)) return true;
        }
        return false;
    }

    long root_;
    std::string rootStart_;
    std::set<std::string> images_;
};

struct Stroke {
    KeyCode code = 0;
    bool shift = false;
};

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

    SendResult send(const std::string& text, bool wait, std::uintptr_t onlyInto) override {
        std::vector<KeySym> keys;
        for (const auto& run : keyRuns(parseKeys(text))) {
            switch (run.kind) {
            case Key::Kind::Down:
                keys.push_back(XK_Down);
                continue;
            case Key::Kind::Right:
                keys.push_back(XK_Right);
                continue;
            case Key::Kind::Home:
                keys.push_back(XK_Home);
                continue;
            case Key::Kind::Delete:
                keys.push_back(XK_Delete);
                continue;
            case Key::Kind::Backspace:
                keys.push_back(XK_BackSpace);
                continue;
            case Key::Kind::Character:
                break;
            }
            for (std::size_t pos = 0; pos < run.characters.size();) {
                auto next = nextCharacter(run.characters, pos);
                if (auto* why = std::get_if<std::string>(&next))
                    return {SendResult::Outcome::Untypable, *why};
                const char32_t c = std::get<char32_t>(next);
                const auto sym = keysymOf(c);
                // Refuse the whole text rather than type part of it.
                if (!sym) return {SendResult::Outcome::Untypable, characterWords(c)};
                keys.push_back(*sym);
            }
        }
        if (!open()) return {SendResult::Outcome::Failed, {}};

        // Every key is found before any is typed, so that a character without a
        // key leaves the text untyped as a whole.
        std::vector<Stroke> strokes;
        for (const KeySym sym : keys) {
            const auto stroke = strokeOf(sym);
            if (!stroke)
                return {SendResult::Outcome::Untypable,
                        characterWords(sym >= 0x01000000 ? static_cast<char32_t>(sym & 0xFFFFFF)
                                                         : static_cast<char32_t>(sym)) +
                            ", for which no free key is left"};
            strokes.push_back(*stroke);
        }

        // With the server held, no other program can move the focus between the
        // check and the keys.
        if (onlyInto) XGrabServer(display_);
        if (onlyInto && focusedWindow() != onlyInto) {
            XUngrabServer(display_);
            XFlush(display_);
            return {SendResult::Outcome::FocusMoved, {}};
        }
        bool shifted = false;
        for (const auto& s : strokes) {
            if (s.shift != shifted) {
                press(shiftCode(), s.shift);
                shifted = s.shift;
            }
            press(s.code, true);
            press(s.code, false);
        }
        if (shifted) press(shiftCode(), false);
        if (wait || onlyInto) {
            XSync(display_, False);
        }
        if (onlyInto) XUngrabServer(display_);
        XFlush(display_);
        return {};
    }

    std::uintptr_t focusedWindow() override {
        if (!open()) return 0;
        Window focus = None;
        int revert = 0;
        XGetInputFocus(display_, &focus, &revert);
        const Window root = DefaultRootWindow(display_);
        // No focus, focus following the pointer, or the bare root window (where
        // the focus falls back when its window closes) is no window to type into.
        if (focus == None || focus == PointerRoot || focus == root) return 0;
        // The focus may sit on an inner window: the top-level window that says
        // which process owns it stands for it, else the outermost one.
        Window outermost = focus;
        for (Window w = focus; w != None && w != root;) {
            if (processOf(w)) return static_cast<std::uintptr_t>(w);
            outermost = w;
            Window rootBack = None, parent = None, *children = nullptr;
            unsigned count = 0;
            if (!XQueryTree(display_, w, &rootBack, &parent, &children, &count)) break;
            if (children) XFree(children);
            w = parent;
        }
        return static_cast<std::uintptr_t>(outermost);
    }

    std::uintptr_t waitForFocusOf(std::int64_t processId, int timeoutMs) override {
        if (!open() || processId <= 0) return 0;
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        // A spreadsheet already running may take the new sheet from the copy just
        // started, which then ends: its window counts when it takes the focus from
        // the window that had it as the wait began.
        const auto before = focusedWindow();
        LaunchedPrograms launched(static_cast<long>(processId));
        do {
            launched.note();
            if (const auto window = focusedWindow()) {
                const long owner = processOf(static_cast<Window>(window));
                if (owner && isSameOrDescendant(owner, static_cast<long>(processId)))
                    return window;
                if (owner && window != before && launched.runsOne(owner)) return window;
            }
            // Often enough to see a starter that lives a few tens of milliseconds.
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        } while (std::chrono::steady_clock::now() < deadline);
        return 0;
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

    // The process a window says it belongs to, or 0.
    long processOf(Window w) {
        if (!pidAtom_) pidAtom_ = XInternAtom(display_, "_NET_WM_PID", False);
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        // A window that goes away while it is asked must not end the program.
        protocolError = false;
        auto previous = XSetErrorHandler(noteProtocolError);
        const int status = XGetWindowProperty(display_, w, pidAtom_, 0, 1, False, XA_CARDINAL,
                                              &type, &format, &count, &after, &data);
        XSetErrorHandler(previous);
        long pid = 0;
        if (status == Success && !protocolError && data && type == XA_CARDINAL && format == 32 &&
            count == 1)
            pid = static_cast<long>(*reinterpret_cast<unsigned long*>(data));
        if (data) XFree(data);
        return pid;
    }

    KeyCode shiftCode() {
        if (!shiftCode_) shiftCode_ = XKeysymToKeycode(display_, XK_Shift_L);
        return shiftCode_;
    }

    // X toolkits take the release of a key and a press of the same key with the
    // same server time for the key's auto-repeat, and drop the press: so "ll"
    // would arrive as "l". Synthetic events sent together share a time; a press
    // of a key released since the clock last moved on waits one millisecond.
    void press(KeyCode code, bool down) {
        unsigned long delay = 0;
        if (down && releasedThisTick_.count(code)) {
            delay = 1;
            releasedThisTick_.clear();
        }
        XTestFakeKeyEvent(display_, code, down ? True : False, delay);
        if (!down) releasedThisTick_.insert(code);
    }

    std::optional<Stroke> strokeOf(KeySym sym) {
        if (const KeyCode code = XKeysymToKeycode(display_, sym)) {
            if (XkbKeycodeToKeysym(display_, code, 0, 0) == sym) return Stroke{code, false};
            if (XkbKeycodeToKeysym(display_, code, 0, 1) == sym && shiftCode())
                return Stroke{code, true};
            // Only on another group or level (AltGr): lend it a key of its own.
        }
        return spareKeyFor(sym);
    }

    // A character the keyboard map lacks (an accented letter on a US map) is
    // typed on a keycode that carries no symbol, lent to it until the sender
    // goes: the receiving client looks the map up when it handles the key, which
    // may be well after the stroke was sent.
    std::optional<Stroke> spareKeyFor(KeySym sym) {
        if (auto found = lent_.find(sym); found != lent_.end()) return Stroke{found->second, false};
        int low = 0, high = 0, perCode = 0;
        XDisplayKeycodes(display_, &low, &high);
        KeySym* map =
            XGetKeyboardMapping(display_, static_cast<KeyCode>(low), high - low + 1, &perCode);
        if (!map) return std::nullopt;
        int spare = 0;
        for (int code = high; code >= low && !spare; --code) {
            bool empty = true;
            for (int i = 0; i < perCode; ++i) {
                if (map[(code - low) * perCode + i] != NoSymbol) empty = false;
            }
            if (empty) spare = code;
        }
        XFree(map);
        if (!spare) return std::nullopt;

        KeySym both[2] = {sym, sym};
        if (!changeMapping(spare, both)) return std::nullopt;
        lent_[sym] = static_cast<KeyCode>(spare);
        return Stroke{static_cast<KeyCode>(spare), false};
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
    std::set<KeyCode> releasedThisTick_;
    Display* display_ = nullptr;
    Atom pidAtom_ = None;
    KeyCode shiftCode_ = 0;
};

} // namespace

std::unique_ptr<KeySender> systemKeySender() {
    return std::make_unique<XTestKeySender>();
}

} // namespace platform
