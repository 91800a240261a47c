#include "platform/files.h"
#include "platform/launcher.h"

#include <cctype>

namespace platform {

bool matchesPattern(const std::string& name, const std::string& pattern) {
    auto lower = [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); };
    // Iterative wildcard match with back-tracking to the last '*'.
    std::size_t n = 0, p = 0, star = std::string::npos, mark = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || lower(pattern[p]) == lower(name[n]))) {
            ++n, ++p;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            mark = n;
        } else if (star != std::string::npos) {
            p = star + 1;
            n = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

std::string notepadCommandLine(const std::string& path) { return "notepad.exe " + path; }

} // namespace platform
