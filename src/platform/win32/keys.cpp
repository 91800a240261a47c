#include "platform/keys.h"

#include <windows.h>

#include <vector>

namespace platform {

namespace {

INPUT virtualKey(WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    // The arrows and Home are extended keys; without the flag they arrive as the
    // number-pad keys, which a spreadsheet reads as digits under Num Lock.
    if (vk == VK_DOWN || vk == VK_RIGHT || vk == VK_HOME) in.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
    return in;
}

INPUT unicodeKey(wchar_t c, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wScan = static_cast<WORD>(c);
    in.ki.dwFlags = KEYEVENTF_UNICODE | (up ? KEYEVENTF_KEYUP : 0);
    return in;
}

// The virtual key of a key that is not typed as a character, or 0.
WORD virtualKeyOf(const Key& key) {
    switch (key.kind) {
    case Key::Kind::Down:
        return VK_DOWN;
    case Key::Kind::Right:
        return VK_RIGHT;
    case Key::Kind::Home:
        return VK_HOME;
    case Key::Kind::Character:
        break;
    }
    switch (key.character) {
    case '\t':
        return VK_TAB;
    case '\n':
    case '\r':
        return VK_RETURN;
    case '\b':
        return VK_BACK;
    default:
        return 0;
    }
}

class SendInputKeySender : public KeySender {
  public:
    bool send(const std::string& text, bool wait) override {
        std::vector<INPUT> inputs;
        for (const auto& key : parseKeys(text)) {
            if (const WORD vk = virtualKeyOf(key)) {
                inputs.push_back(virtualKey(vk, false));
                inputs.push_back(virtualKey(vk, true));
                continue;
            }
            // 8-bit text is Latin-1, whose codes are the first 256 of UTF-16.
            const auto c = static_cast<unsigned char>(key.character);
            // Other control characters have no key; refuse the whole text rather
            // than type part of it.
            if (c < 0x20 || (c >= 0x7f && c < 0xa0)) return false;
            inputs.push_back(unicodeKey(c, false));
            inputs.push_back(unicodeKey(c, true));
        }
        if (!inputs.empty()) {
            const UINT sent =
                SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
            // Fewer than all: blocked (another desktop, a window of higher integrity).
            if (sent != inputs.size()) return false;
        }
        if (wait) {
            // The focused window's thread answers once it is back in its message
            // loop, where it takes the keys; a hung window fails the send.
            if (HWND focused = GetForegroundWindow()) {
                DWORD_PTR result = 0;
                if (!SendMessageTimeoutA(focused, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result))
                    return false;
            }
        }
        return true;
    }

    std::uintptr_t focusedWindow() override {
        return reinterpret_cast<std::uintptr_t>(GetForegroundWindow());
    }

    bool waitForFocusChange(std::uintptr_t before, int timeoutMs) override {
        const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
        do {
            const auto now = focusedWindow();
            if (now != before && now != 0) return true;
            Sleep(20);
        } while (GetTickCount64() < deadline);
        return false;
    }
};

} // namespace

std::unique_ptr<KeySender> systemKeySender() {
    return std::make_unique<SendInputKeySender>();
}

} // namespace platform
