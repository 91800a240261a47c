#include "platform/files.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace platform {

char folderSeparator() {
    return '/';
}

std::string programFolder() {
    std::error_code ec;
    auto exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec) return "./";
    return exe.parent_path().string() + "/";
}

namespace {

bool equalIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::vector<std::string> entryNames(const std::string& folder, bool filesOnly) {
    std::vector<std::string> names;
    std::error_code ec;
    fs::directory_iterator it(folder.empty() ? "." : folder, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (filesOnly) {
            std::error_code sec;
            if (!it->is_regular_file(sec) || name.front() == '.') continue;
        }
        names.push_back(std::move(name));
    }
    return names;
}

} // namespace

std::string userHomeFolder() {
    const char* home = std::getenv("HOME");
    if (!home || !*home) return {};
    std::string folder = home;
    if (folder.back() != '/') folder += '/';
    return folder;
}

std::optional<std::string> programFolderOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    if (!path || name.empty() || name.find('/') != std::string::npos) return std::nullopt;
    const std::string all = path;
    for (std::size_t at = 0; at <= all.size();) {
        auto end = all.find(':', at);
        if (end == std::string::npos) end = all.size();
        std::string folder = all.substr(at, end - at);
        at = end + 1;
        if (folder.empty()) continue;
        if (folder.back() != '/') folder += '/';
        if (::access((folder + name).c_str(), X_OK) == 0) return folder;
    }
    return std::nullopt;
}

std::optional<std::string> findIgnoringCase(const std::string& folder, const std::string& name) {
    auto names = entryNames(folder, false);
    // An exact spelling wins over another entry that differs only in case.
    for (const auto& n : names)
        if (n == name) return n;
    for (const auto& n : names)
        if (equalIgnoringCase(n, name)) return n;
    return std::nullopt;
}

bool exactNamePresent(const std::string& folder, const std::string& name) {
    if (name.empty()) return false;
    auto found = findIgnoringCase(folder, name);
    return found && *found == name;
}

std::vector<std::string> listFiles(const std::string& folder, const std::string& pattern) {
    std::vector<std::string> names;
    for (auto& n : entryNames(folder, true))
        if (matchesPattern(n, pattern)) names.push_back(std::move(n));
    // The directory itself has no order here; sort like an NTFS listing (names
    // compared in upper case, so "_" comes after the letters) so that every run
    // and every system shows the same order.
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        auto ua = a, ub = b;
        for (auto& c : ua)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        for (auto& c : ub)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return ua != ub ? ua < ub : a < b;
    });
    return names;
}

bool copyReplacing(const std::string& from, const std::string& to) {
    return copyReplacingReason(from, to).empty();
}

std::string copyReplacingReason(const std::string& from, const std::string& to) {
    std::error_code ec;
    // The library would only say "not supported" of a folder.
    if (fs::is_directory(from, ec)) return from + " is a folder, not a file";
    if (fs::is_directory(to, ec)) return to + " is a folder, not a file";
    if (fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec) && !ec) return {};
    return ec ? ec.message() : std::string("the copy failed");
}

} // namespace platform
