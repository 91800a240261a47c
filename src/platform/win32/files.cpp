#include "platform/files.h"
#include "platform/win32/win32_calls.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace platform {

char folderSeparator() {
    return '\\';
}

std::string userHomeFolder() {
    const char* home = std::getenv("USERPROFILE");
    if (!home || !*home) return {};
    std::string folder = home;
    if (folder.back() != '\\') folder += '\\';
    return folder;
}

std::optional<std::string> programFolderOnPath(const std::string& name) {
    char found[MAX_PATH];
    char* file = nullptr;
    const DWORD n = ::SearchPathA(nullptr, name.c_str(), nullptr, MAX_PATH, found, &file);
    if (n == 0 || n >= MAX_PATH || !file) return std::nullopt;
    return std::string(found, static_cast<std::size_t>(file - found));
}

std::string programFolder() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        DWORD n = ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return ".\\";
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    return path.substr(0, path.find_last_of("\\/") + 1);
}

namespace {

bool hasWildcard(const std::string& name) {
    return name.find_first_of("*?") != std::string::npos;
}

// Every name FindFirstFileA/FindNextFileA gives for folder + pattern.
template <typename Visit>
void forEachFound(const std::string& folder, const std::string& pattern, Visit visit) {
    WIN32_FIND_DATAA data{};
    HANDLE h = ::FindFirstFileA((folder + pattern).c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        if (!visit(data)) break;
    } while (::FindNextFileA(h, &data));
    ::FindClose(h);
}

std::string upper(std::string s) {
    for (auto& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

} // namespace

std::optional<std::string> findIgnoringCase(const std::string& folder, const std::string& name) {
    // A wildcard would let the lookup answer for some other file.
    if (name.empty() || hasWildcard(name)) return std::nullopt;
    std::optional<std::string> found;
    forEachFound(folder, name, [&](const WIN32_FIND_DATAA& d) {
        // The long name only: a short 8.3 alias that matches is another file's name.
        if (CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, d.cFileName, -1, name.c_str(), -1) !=
            CSTR_EQUAL)
            return true;
        if (!found || name == d.cFileName) found = d.cFileName;
        return name != d.cFileName;
    });
    return found;
}

bool exactNamePresent(const std::string& folder, const std::string& name) {
    auto found = findIgnoringCase(folder, name);
    return found && *found == name;
}

std::vector<std::string> listFiles(const std::string& folder, const std::string& pattern) {
    std::vector<std::string> names;
    constexpr DWORD skipped =
        FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    forEachFound(folder, pattern, [&](const WIN32_FIND_DATAA& d) {
        // The pattern is checked again on the long name: Windows also matches the
        // short 8.3 alias, so "*.txt" would list "a.txtx".
        if (!(d.dwFileAttributes & skipped) && matchesPattern(d.cFileName, pattern))
            names.push_back(d.cFileName);
        return true;
    });
    // NTFS lists in this order; other file systems (and Wine) in any order.
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        auto ua = upper(a), ub = upper(b);
        return ua != ub ? ua < ub : a < b;
    });
    return names;
}

bool copyReplacing(const std::string& from, const std::string& to) {
    return ::CopyFileA(from.c_str(), to.c_str(), FALSE) != 0;
}

std::string copyReplacingReason(const std::string& from, const std::string& to) {
    if (::CopyFileA(from.c_str(), to.c_str(), FALSE)) return {};
    const DWORD code = ::GetLastError();
    const DWORD fromAttributes = ::GetFileAttributesA(from.c_str());
    if (fromAttributes != INVALID_FILE_ATTRIBUTES && (fromAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return from + " is a folder, not a file";
    const DWORD toAttributes = ::GetFileAttributesA(to.c_str());
    if (toAttributes != INVALID_FILE_ATTRIBUTES && (toAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return to + " is a folder, not a file";
    return win32::errorText(code);
}

} // namespace platform
