#pragma once
// Synthesised keystrokes into whichever window has the keyboard focus.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

// One key of a keystroke text.
struct Key {
    enum class Kind { Character, Down, Right, Home };
    Kind kind = Kind::Character;
    char character = 0; // for Kind::Character
    bool operator==(const Key&) const = default;
};

// Reads the keystroke notation: "{DOWN}", "{RIGHT}" and "{HOME}" name those keys,
// "(" and ")" group keys and are not typed, every other character is typed as it
// stands (a "{" that starts no key name too).
std::vector<Key> parseKeys(const std::string& text);

class KeySender {
public:
    virtual ~KeySender() = default;
    // Types the keys of text into the focused window. With wait, returns only once
    // the window system has delivered them. False when they could not be sent.
    virtual bool send(const std::string& text, bool wait) = 0;

    // The window that has the keyboard focus now (0 when none can be told).
    virtual std::uintptr_t focusedWindow() = 0;
    // Waits, at most timeoutMs, until a window other than before has the focus, so
    // that keys meant for a program just started never land in another window.
    virtual bool waitForFocusChange(std::uintptr_t before, int timeoutMs) = 0;
};

std::unique_ptr<KeySender> systemKeySender();

} // namespace platform
