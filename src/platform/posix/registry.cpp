#include "platform/registry.h"
#include "platform/files.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace platform {

namespace {

// Many players run the game under Wine: its machine registry is the text file
// system.reg of the prefix. A prefix that is missing, unreadable or damaged
// answers nothing, as a missing key does on Windows.
constexpr const char* kHiveFile = "system.reg";
constexpr const char* kHiveHeader = "WINE REGISTRY Version 2";
constexpr std::uintmax_t kLargestHive = 256u << 20; // real ones are a few megabytes

char lowerAscii(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool equalIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
    return true;
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Wine escapes UTF-16 code units above 127 as \x; a path on this side is UTF-8,
// as Wine's own file names are. Surrogate halves are paired up here.
class Utf16Text {
  public:
    explicit Utf16Text(std::string& out) : out_(out) {}
    void unit(unsigned u) {
        if (u >= 0xDC00 && u <= 0xDFFF && high_) {
            appendUtf8(out_, 0x10000 + ((high_ - 0xD800) << 10) + (u - 0xDC00));
            high_ = 0;
            return;
        }
        flush();
        if (u >= 0xD800 && u <= 0xDBFF)
            high_ = u;
        else if (u >= 0xDC00 && u <= 0xDFFF)
            out_ += '?';
        else
            appendUtf8(out_, u);
    }
    void byte(char c) {
        flush();
        out_ += c;
    }
    void flush() {
        if (high_) out_ += '?';
        high_ = 0;
    }

  private:
    std::string& out_;
    unsigned high_ = 0;
};

int digitValue(char c, int base) {
    int v = std::isdigit(static_cast<unsigned char>(c))    ? c - '0'
            : std::isxdigit(static_cast<unsigned char>(c)) ? lowerAscii(c) - 'a' + 10
                                                           : 99;
    return v < base ? v : -1;
}

// Reads an escaped text of line from pos up to the unescaped close character and
// leaves pos after it. Nothing when the line ends first.
std::optional<std::string> unescaped(const std::string& line, std::size_t& pos, char close) {
    std::string out;
    Utf16Text text(out);
    while (pos < line.size()) {
        const char c = line[pos++];
        if (c == close) {
            text.flush();
            return out;
        }
        if (c != '\\') {
            text.byte(c);
            continue;
        }
        if (pos == line.size()) return std::nullopt;
        const char e = line[pos++];
        static const std::string kLetters = "abtnvfre";
        static const char kControls[] = {7, 8, 9, 10, 11, 12, 13, 27};
        if (auto at = kLetters.find(e); at != std::string::npos) {
            text.unit(static_cast<unsigned char>(kControls[at]));
        } else if (e == 'x' || digitValue(e, 8) >= 0) {
            const int base = e == 'x' ? 16 : 8;
            const int most = e == 'x' ? 4 : 3;
            if (base == 8) --pos;
            unsigned u = 0;
            int n = 0;
            for (; n < most && pos < line.size() && digitValue(line[pos], base) >= 0; ++n)
                u = u * static_cast<unsigned>(base) +
                    static_cast<unsigned>(digitValue(line[pos++], base));
            if (n == 0)
                text.byte(e);
            else
                text.unit(u);
        } else {
            text.byte(e); // \\, \", \[ and \] stand for themselves
        }
    }
    return std::nullopt;
}

bool blankFrom(const std::string& line, std::size_t pos) {
    for (; pos < line.size(); ++pos)
        if (line[pos] != ' ' && line[pos] != '\t') return false;
    return true;
}

// The data after "name"=: a text or a dword; any other kind, or a damaged one,
// answers nothing as an unsupported kind does on Windows.
RegistryValue valueOf(const std::string& line, std::size_t pos) {
    RegistryValue value;
    if (line.compare(pos, 1, "\"") == 0) {
        ++pos;
        auto text = unescaped(line, pos, '"');
        if (!text || !blankFrom(line, pos)) return value;
        value.kind = RegistryValue::Kind::Text;
        value.text = *text + std::string(1, '\0'); // as Windows hands it over
        return value;
    }
    static const std::string kDword = "dword:";
    if (line.size() > pos + kDword.size() &&
        equalIgnoringCase(line.substr(pos, kDword.size()), kDword)) {
        pos += kDword.size();
        std::uint32_t number = 0;
        int n = 0;
        for (; pos < line.size() && digitValue(line[pos], 16) >= 0; ++pos, ++n)
            number = number * 16 + static_cast<std::uint32_t>(digitValue(line[pos], 16));
        if (n == 0 || n > 8 || !blankFrom(line, pos)) return value;
        value.kind = RegistryValue::Kind::Number;
        value.number = static_cast<std::int32_t>(number);
    }
    return value;
}

// A 32-bit program on 64-bit Windows sees HKLM\Software\X at
// Software\Wow6432Node\X; Wine keeps the same layout in a 64-bit prefix.
std::string thirtyTwoBitView(const std::string& keyPath) {
    const auto sep = keyPath.find('\\');
    const std::string first = keyPath.substr(0, sep);
    if (!equalIgnoringCase(first, "Software")) return keyPath;
    return first + "\\Wow6432Node" + (sep == std::string::npos ? "" : keyPath.substr(sep));
}

std::optional<std::string> readHive(const fs::path& file) {
    std::error_code ec;
    // Never open a device or a pipe left in its place: it could block for ever.
    if (!fs::is_regular_file(file, ec)) return std::nullopt;
    const auto size = fs::file_size(file, ec);
    if (ec || size > kLargestHive) return std::nullopt;
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::string bytes(static_cast<std::size_t>(size), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(size));
    if (in.bad()) return std::nullopt;
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

RegistryValue findValue(const std::string& hive, const std::string& keyPath,
                        const std::string& valueName) {
    RegistryValue found;
    bool win64 = false, sectionsBegun = false, inKey = false;
    std::string wanted;
    std::size_t start = 0;
    for (std::size_t lineNo = 0; start < hive.size(); ++lineNo) {
        auto end = hive.find('\n', start);
        if (end == std::string::npos) end = hive.size();
        std::string line = hive.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (lineNo == 0) {
            if (line != kHiveHeader) return {};
            continue;
        }
        if (line.empty()) continue;
        if (line.front() == '#') {
            if (!sectionsBegun && line.rfind("#arch=", 0) == 0) win64 = line == "#arch=win64";
            continue;
        }
        if (line.front() == '[') {
            if (!sectionsBegun) wanted = win64 ? thirtyTwoBitView(keyPath) : keyPath;
            sectionsBegun = true;
            std::size_t pos = 1;
            auto name = unescaped(line, pos, ']');
            inKey = name && equalIgnoringCase(*name, wanted);
            continue;
        }
        if (!inKey || line.front() != '"') continue;
        std::size_t pos = 1;
        auto name = unescaped(line, pos, '"');
        if (!name || !equalIgnoringCase(*name, valueName)) continue;
        // The last one stands, as when Wine loads the file.
        found = line.compare(pos, 1, "=") == 0 ? valueOf(line, pos + 1) : RegistryValue{};
    }
    return found;
}

class WinePrefixRegistry : public Registry {
  public:
    explicit WinePrefixRegistry(fs::path prefix) : prefix_(std::move(prefix)) {}

    RegistryValue readLocalMachine(const std::string& keyPath,
                                   const std::string& valueName) override {
        if (prefix_.empty()) return {};
        auto hive = readHive(prefix_ / kHiveFile);
        if (!hive) return {};
        return findValue(*hive, keyPath, valueName);
    }

    // A drive letter is a link in the prefix's dosdevices folder ("c:" ->
    // "../drive_c"); below it each name is found ignoring case, as Wine does.
    std::string localFolder(const std::string& registered) override {
        if (prefix_.empty() || registered.size() < 2 || registered[1] != ':' ||
            !std::isalpha(static_cast<unsigned char>(registered[0])))
            return {};
        // "C:Games" is relative to the drive's current folder: no place to go.
        if (registered.size() > 2 && registered[2] != '\\' && registered[2] != '/') return {};
        const std::string devices = (prefix_ / "dosdevices").string() + "/";
        const auto link = findIgnoringCase(devices, std::string{lowerAscii(registered[0]), ':'});
        if (!link) return {};
        std::error_code ec;
        fs::path folder = fs::canonical(devices + *link, ec);
        if (ec || !fs::is_directory(folder, ec)) return {};
        std::vector<fs::path> below;
        std::size_t pos = 2;
        while (pos < registered.size()) {
            auto next = registered.find_first_of("\\/", pos);
            if (next == std::string::npos) next = registered.size();
            const std::string part = registered.substr(pos, next - pos);
            pos = next + 1;
            if (part.empty() || part == ".") continue;
            if (part == "..") {
                if (!below.empty()) below.pop_back();
                continue;
            }
            fs::path here = folder;
            for (const auto& b : below)
                here /= b;
            const auto stored = findIgnoringCase(here.string() + "/", part);
            if (!stored || !fs::is_directory(here / *stored, ec)) return {};
            below.emplace_back(*stored);
        }
        for (const auto& b : below)
            folder /= b;
        return folder.string();
    }

  private:
    fs::path prefix_;
};

// The prefix Wine itself would use: $WINEPREFIX, else ~/.wine.
fs::path winePrefix() {
    if (const char* p = std::getenv("WINEPREFIX"); p && *p) return p;
    if (const char* home = std::getenv("HOME"); home && *home) return fs::path(home) / ".wine";
    return {};
}

} // namespace

std::unique_ptr<Registry> systemRegistry() {
    return std::make_unique<WinePrefixRegistry>(winePrefix());
}

} // namespace platform
