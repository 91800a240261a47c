#include "platform/files.h"
#include "platform/keys.h"
#include "platform/launcher.h"
#include "platform/ordinary_file.h"
#include "platform/single_instance.h"

#include <cctype>
#include <cstdint>
#include <filesystem>
#include <system_error>

namespace platform {

bool matchesPattern(const std::string& name, const std::string& pattern) {
    auto lower = [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); };
    // Iterative wildcard match with back-tracking to the last '*'.
    std::size_t n = 0, p = 0, star = std::string::npos, mark = 0;
    while (n < name.size()) {
        // A '*' of the pattern is a wildcard even where the name holds a '*'.
        if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            mark = n;
        } else if (p < pattern.size() && (pattern[p] == '?' || lower(pattern[p]) == lower(name[n]))) {
            ++n, ++p;
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

std::vector<Key> parseKeys(const std::string& text) {
    static const struct {
        const char* name;
        Key key;
    } kNamed[] = {{"{DOWN}", {Key::Kind::Down, 0}},      {"{RIGHT}", {Key::Kind::Right, 0}},
                  {"{HOME}", {Key::Kind::Home, 0}},      {"{DEL}", {Key::Kind::Delete, 0}},
                  {"{BS}", {Key::Kind::Backspace, 0}},  {"{(}", {Key::Kind::Character, '('}},
                  {"{)}", {Key::Kind::Character, ')'}}, {"{{}", {Key::Kind::Character, '{'}},
                  {"{}}", {Key::Kind::Character, '}'}}};
    std::vector<Key> keys;
    for (std::size_t i = 0; i < text.size();) {
        bool named = false;
        for (const auto& k : kNamed) {
            const auto length = std::char_traits<char>::length(k.name);
            if (text.compare(i, length, k.name) == 0) {
                keys.push_back(k.key);
                i += length;
                named = true;
                break;
            }
        }
        if (named) continue;
        if (text[i] != '(' && text[i] != ')') keys.push_back({Key::Kind::Character, text[i]});
        ++i;
    }
    return keys;
}

std::string literalKeys(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '(' || c == ')' || c == '{' || c == '}') {
            out += '{';
            out += c;
            out += '}';
        } else {
            out += c;
        }
    }
    return out;
}

std::vector<KeyRun> keyRuns(const std::vector<Key>& keys) {
    std::vector<KeyRun> runs;
    for (const auto& key : keys) {
        if (key.kind == Key::Kind::Character && !runs.empty() &&
            runs.back().kind == Key::Kind::Character) {
            runs.back().characters += key.character;
            continue;
        }
        runs.push_back({key.kind, key.kind == Key::Kind::Character
                                      ? std::string(1, key.character)
                                      : std::string()});
    }
    return runs;
}

namespace {

// Far above any configuration a game writes.
constexpr std::uintmax_t kCopyLimit = 16u << 20;

// The file a chain of symbolic links ends at; the path itself when it is none.
std::filesystem::path linkTarget(std::filesystem::path path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    for (int hops = 0; hops < 40 && fs::is_symlink(path, ec); ++hops) {
        const fs::path next = fs::read_symlink(path, ec);
        if (ec) break;
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    return path;
}

} // namespace

std::string copyWhole(const std::string& from, const std::string& to, const std::string& scratch,
                      bool followLink) {
    namespace fs = std::filesystem;
    std::error_code ec;
    // Players keep configurations in a folder of their own behind a link: replace
    // the file it points to, not the link. The tool's own files are never reached
    // through one: a link there is replaced itself.
    const fs::path target = followLink ? linkTarget(fs::path(to)) : fs::path(to);
    const fs::path scratchPath = target.parent_path() / fs::path(scratch).filename();
    if (fs::is_directory(from, ec)) return from + " is a folder, not a file";
    if (!fs::is_symlink(target, ec) && fs::is_directory(target, ec))
        return target.string() + " is a folder, not a file";
    auto read = readOrdinaryFile(fs::path(from), kCopyLimit);
    if (!read.bytes) return from + " could not be read: " + read.why;
    FileSink out;
    if (std::string why = out.open(scratchPath, FileSink::Mode::Fresh); !why.empty())
        return scratchPath.string() + " could not be written: " + why;
    // On the disk before it takes the name, so the name never stands for nothing.
    bool written = out.write(read.bytes->data(), read.bytes->size()) && out.sync();
    std::string why = written ? std::string() : out.why();
    if (!out.close() && written) {
        written = false;
        why = "writing it failed (is the disk full?)";
    }
    if (written) why = renameReplacing(scratchPath, target);
    if (!written || !why.empty()) {
        fs::remove(scratchPath, ec);
        return why.empty() ? std::string("the copy failed") : why;
    }
    syncFolder(target.parent_path());
    return {};
}

std::vector<std::string> removeFilesStartingWith(const std::string& folder,
                                                 const std::string& prefix,
                                                 const std::string& keep) {
    std::vector<std::string> failed;
    for (const auto& name : listFiles(folder)) {
        if (name.compare(0, prefix.size(), prefix) != 0 || name == keep) continue;
        std::error_code ec;
        std::filesystem::remove(std::filesystem::path(folder + name), ec);
        if (ec) failed.push_back(name);
    }
    return failed;
}

std::string installTag(const std::string& installFolder) {
    std::uint64_t hash = 14695981039346656037ull; // FNV-1a
    for (unsigned char c : installFolder) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    static const char digits[] = "0123456789abcdef";
    std::string tag(16, '0');
    for (int i = 15; i >= 0; --i, hash >>= 4) tag[static_cast<std::size_t>(i)] = digits[hash & 15];
    return tag;
}

std::string notepadCommandLine(const std::string& path) { return "notepad.exe " + path; }

} // namespace platform
