#include "platform/keys.h"

#include <windows.h>

#include <tlhelp32.h>

#include <cstdio>
#include <cwctype>
#include <map>
#include <set>
#include <string_view>
#include <variant>
#include <vector>

namespace platform {

namespace {

INPUT virtualKey(WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    // The arrows, Home and Delete are extended keys; without the flag they arrive as the
    // number-pad keys, which a spreadsheet reads as digits under Num Lock.
    if (vk == VK_DOWN || vk == VK_RIGHT || vk == VK_HOME || vk == VK_DELETE)
        in.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
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
WORD virtualKeyOf(Key::Kind kind) {
    switch (kind) {
    case Key::Kind::Down:
        return VK_DOWN;
    case Key::Kind::Right:
        return VK_RIGHT;
    case Key::Kind::Home:
        return VK_HOME;
    case Key::Kind::Delete:
        return VK_DELETE;
    case Key::Kind::Backspace:
        return VK_BACK;
    case Key::Kind::Character:
        break;
    }
    return 0;
}

WORD virtualKeyOf(wchar_t c) {
    switch (c) {
    case L'\t':
        return VK_TAB;
    case L'\n':
    case L'\r':
        return VK_RETURN;
    case L'\b':
        return VK_BACK;
    default:
        return 0;
    }
}

std::string hexByte(unsigned char b) {
    char words[8];
    std::snprintf(words, sizeof words, "0x%02X", b);
    return words;
}

std::string codeOf(std::wstring_view units) {
    unsigned value = units.front();
    if (units.size() == 2) value = 0x10000 + ((value - 0xD800) << 10) + (units[1] - 0xDC00);
    char words[16];
    std::snprintf(words, sizeof words, "U+%04X", value);
    return words;
}

// The text's characters as the system's code page means them, one character
// (one or two UTF-16 units) at a time, or the words that say which is none.
std::variant<std::vector<std::wstring>, std::string> charactersOf(const std::string& text) {
    std::vector<std::wstring> characters;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = IsDBCSLeadByte(lead) && i + 1 < text.size() ? 2 : 1;
        wchar_t units[4] = {};
        const int count = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data() + i,
                                              static_cast<int>(length), units, 4);
        if (count <= 0)
            return "the byte " + hexByte(lead) + ", which is no character of the system's code page (" +
                   std::to_string(GetACP()) + ")";
        const std::wstring character(units, static_cast<std::size_t>(count));
        const wchar_t c = character.front();
        if (!virtualKeyOf(c) && (c < 0x20 || (c >= 0x7F && c < 0xA0)))
            return "the control character " + codeOf(character);
        characters.push_back(character);
        i += length;
    }
    return characters;
}

class SendInputKeySender : public KeySender {
  public:
    SendResult send(const std::string& text, bool wait, std::uintptr_t onlyInto) override {
        std::vector<INPUT> inputs;
        for (const auto& run : keyRuns(parseKeys(text))) {
            if (const WORD vk = virtualKeyOf(run.kind)) {
                inputs.push_back(virtualKey(vk, false));
                inputs.push_back(virtualKey(vk, true));
                continue;
            }
            auto characters = charactersOf(run.characters);
            // Refuse the whole text rather than type part of it.
            if (auto* why = std::get_if<std::string>(&characters))
                return {SendResult::Outcome::Untypable, *why};
            for (const auto& character : std::get<std::vector<std::wstring>>(characters)) {
                if (const WORD vk = virtualKeyOf(character.front())) {
                    inputs.push_back(virtualKey(vk, false));
                    inputs.push_back(virtualKey(vk, true));
                    continue;
                }
                // Unicode input types the character itself, whatever the keyboard.
                for (const wchar_t unit : character) inputs.push_back(unicodeKey(unit, false));
                for (const wchar_t unit : character) inputs.push_back(unicodeKey(unit, true));
            }
        }
        if (onlyInto && focusedWindow() != onlyInto) return {SendResult::Outcome::FocusMoved, {}};
        if (!inputs.empty()) {
            const UINT sent =
                SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
            // Fewer than all: blocked (another desktop, a window of higher integrity).
            if (sent != inputs.size()) return {SendResult::Outcome::Failed, {}};
        }
        if (wait) {
            // The focused window's thread answers once it is back in its message
            // loop, where it takes the keys; a hung window fails the send.
            if (HWND focused = GetForegroundWindow()) {
                DWORD_PTR result = 0;
                if (!SendMessageTimeoutA(focused, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result))
                    return {SendResult::Outcome::Failed, {}};
            }
        }
        return {};
    }

    std::uintptr_t focusedWindow() override {
        return reinterpret_cast<std::uintptr_t>(GetForegroundWindow());
    }

    std::uintptr_t waitForFocusOf(std::int64_t processId, int timeoutMs) override {
        if (processId <= 0) return 0;
        const DWORD started = static_cast<DWORD>(processId);
        const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
        // A spreadsheet already running may take the new sheet from the copy just
        // started, which then ends: its window counts when it takes the focus from
        // the window that had it as the wait began.
        const HWND before = GetForegroundWindow();
        std::set<std::wstring> images;
        do {
            const auto parents = processParents();
            // Noted while they run: a copy that hands its work over ends within moments.
            for (const auto& [pid, parent] : parents)
                if (isSameOrDescendant(pid, started, parents))
                    if (auto image = imageOf(pid); !image.empty()) images.insert(image);
            if (HWND window = GetForegroundWindow()) {
                DWORD owner = 0;
                GetWindowThreadProcessId(window, &owner);
                if (owner && isSameOrDescendant(owner, started, parents))
                    return reinterpret_cast<std::uintptr_t>(window);
                if (owner && window != before && images.count(imageOf(owner)))
                    return reinterpret_cast<std::uintptr_t>(window);
            }
            Sleep(10);
        } while (GetTickCount64() < deadline);
        return 0;
    }

  private:
    static std::map<DWORD, DWORD> processParents() {
        std::map<DWORD, DWORD> parents;
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        if (snapshot == INVALID_HANDLE_VALUE) return parents;
        PROCESSENTRY32 entry{};
        entry.dwSize = sizeof entry;
        for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
            parents[entry.th32ProcessID] = entry.th32ParentProcessID;
        CloseHandle(snapshot);
        return parents;
    }

    static bool isSameOrDescendant(DWORD pid, DWORD ancestor, const std::map<DWORD, DWORD>& parents) {
        if (pid == ancestor) return true;
        // Bounded: process ids are reused, so the parent links may form a loop.
        for (int depth = 0; depth < 64; ++depth) {
            auto found = parents.find(pid);
            if (found == parents.end() || found->second == 0) return false;
            pid = found->second;
            if (pid == ancestor) return true;
        }
        return false;
    }

    // The program file a process runs, in one letter case (Windows paths ignore
    // it); empty when it cannot be told.
    static std::wstring imageOf(DWORD pid) {
        HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
        if (!process) return {};
        wchar_t path[MAX_PATH * 4];
        DWORD size = static_cast<DWORD>(sizeof path / sizeof path[0]);
        const BOOL ok = QueryFullProcessImageNameW(process, 0, path, &size);
        CloseHandle(process);
        if (!ok) return {};
        std::wstring image(path, size);
        for (auto& c : image) c = static_cast<wchar_t>(std::towupper(c));
        return image;
    }
};

} // namespace

std::unique_ptr<KeySender> systemKeySender() {
    return std::make_unique<SendInputKeySender>();
}

} // namespace platform
