#pragma once
// Synthesised keystrokes into the window that has the keyboard focus.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

// One key of a keystroke text.
struct Key {
    enum class Kind { Character, Down, Right, Home, Delete, Backspace };
    Kind kind = Kind::Character;
    char character = 0; // for Kind::Character: one byte of the 8-bit text
    bool operator==(const Key&) const = default;
};

// Reads the keystroke notation: "{DOWN}", "{RIGHT}", "{HOME}", "{DEL}" and "{BS}" name
// those keys (the last one Backspace),
// "(" and ")" group keys and are not typed, "{(}", "{)}", "{{}" and "{}}" type
// that one character, every other character is typed as it stands (a "{" that
// starts no key name too).
std::vector<Key> parseKeys(const std::string& text);

// text written so that every character of it is typed as it stands.
std::string literalKeys(const std::string& text);

// Consecutive characters of keys gathered into runs, the other keys alone:
// a character of the system's encoding may take several bytes.
struct KeyRun {
    Key::Kind kind = Key::Kind::Character;
    std::string characters; // for Kind::Character
};
std::vector<KeyRun> keyRuns(const std::vector<Key>& keys);

struct SendResult {
    enum class Outcome {
        Sent,
        Untypable,  // a character no key can type; nothing of the text was typed
        FocusMoved, // the window keys were meant for lost the focus; nothing was typed
        Failed,     // no display, or the system refused the keys
    };
    Outcome outcome = Outcome::Sent;
    // Untypable: the character, in words for the user.
    std::string character;
    explicit operator bool() const { return outcome == Outcome::Sent; }
};

class KeySender {
  public:
    virtual ~KeySender() = default;
    // Types the keys of text into the focused window, all or none of them. With
    // wait, returns only once the window system has delivered them. With a window
    // (as focusedWindow names them), types only while that window has the focus.
    virtual SendResult send(const std::string& text, bool wait, std::uintptr_t onlyInto = 0) = 0;

    // The top-level window that has the keyboard focus now (0 when none can be told).
    virtual std::uintptr_t focusedWindow() = 0;
    // Waits, at most timeoutMs, until a window of the process processId or of one of
    // its descendants has the focus, so that keys meant for a program just started
    // never land in another window. That window, or 0. A spreadsheet already
    // running may take the new sheet from the copy just started: a window that
    // takes the focus during the wait counts as well when its process runs the
    // same program as one of those processes did (on Linux, also another program
    // of the same folder, where that folder is no shared one such as those on
    // PATH: LibreOffice's starter hands over to the program beside it).
    virtual std::uintptr_t waitForFocusOf(std::int64_t processId, int timeoutMs) = 0;
};

std::unique_ptr<KeySender> systemKeySender();

} // namespace platform
