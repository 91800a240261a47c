#include "results/system_record.h"

#include "bench/run_record.h"
#include "core/textfile.h"
#include "platform/files.h"
#include "platform/system_facts.h"
#include "results/dumps.h"
#include "results/report.h"
#include "results/report_reader.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <system_error>

#ifndef FRAMEWISE_VERSION
#define FRAMEWISE_VERSION "unknown"
#endif

namespace results {

namespace {

namespace fs = std::filesystem;

bool startsWith(const std::string& s, const char* prefix) {
    return s.rfind(prefix, 0) == 0;
}

std::string hash64(const std::string& text) {
    std::uint64_t h = 14695981039346656037ull;
    for (unsigned char c : text) {
        h ^= c;
        h *= 1099511628211ull;
    }
    char buf[17];
    std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(h));
    return buf;
}

std::vector<std::string> wordsOf(const std::string& line) {
    std::vector<std::string> out;
    std::size_t at = 0;
    while ((at = line.find_first_not_of(' ', at)) != std::string::npos) {
        const auto end = std::min(line.find(' ', at), line.size());
        out.push_back(line.substr(at, end - at));
        at = end;
    }
    return out;
}

// The line the engine prints first of all: its name, version, platform and build
// date ("ioq3 1.36+u20221123... linux-x86_64 Jan  8 2023").
bool isVersionLine(const std::string& line) {
    const auto w = wordsOf(line);
    if (w.size() < 3) return false;
    bool number = false, platform = false;
    for (std::size_t i = 1; i < w.size(); ++i) {
        if (std::isdigit(static_cast<unsigned char>(w[i][0])) &&
            w[i].find('.') != std::string::npos)
            number = true;
        for (const char* p : {"win-", "linux-", "macosx", "freebsd-", "openbsd-"})
            if (startsWith(w[i], p)) platform = true;
    }
    return number && platform;
}

std::string joined(const std::vector<std::string>& items, const char* between) {
    std::string s;
    for (std::size_t i = 0; i < items.size(); ++i)
        s += (i ? between : "") + items[i];
    return s;
}

void appendUtf8(std::string& out, unsigned code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

class FlatJson {
  public:
    explicit FlatJson(const std::string& s) : s_(s) {}

    std::optional<SystemRecord> read() {
        SystemRecord r;
        if (!expect('{')) return std::nullopt;
        if (peek() == '}') return ++at_, end() ? std::optional(r) : std::nullopt;
        for (;;) {
            auto key = string();
            if (!key || !expect(':')) return std::nullopt;
            auto value = string();
            if (!value) return std::nullopt;
            r.fields.emplace_back(std::move(*key), std::move(*value));
            const char c = peek();
            ++at_;
            if (c == '}') break;
            if (c != ',') return std::nullopt;
        }
        if (!end()) return std::nullopt;
        return r;
    }

  private:
    const std::string& s_;
    std::size_t at_ = 0;

    void blanks() {
        while (at_ < s_.size() &&
               (s_[at_] == ' ' || s_[at_] == '\t' || s_[at_] == '\r' || s_[at_] == '\n'))
            ++at_;
    }
    char peek() {
        blanks();
        return at_ < s_.size() ? s_[at_] : '\0';
    }
    bool expect(char c) {
        if (peek() != c) return false;
        ++at_;
        return true;
    }
    bool end() {
        blanks();
        return at_ == s_.size();
    }
    std::optional<std::string> string() {
        if (!expect('"')) return std::nullopt;
        std::string out;
        while (at_ < s_.size()) {
            const char c = s_[at_++];
            if (c == '"') return out;
            if (static_cast<unsigned char>(c) < 0x20) return std::nullopt;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (at_ >= s_.size()) return std::nullopt;
            const char e = s_[at_++];
            switch (e) {
            case '"':
            case '\\':
            case '/':
                out += e;
                break;
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case 'r':
                out += '\r';
                break;
            case 'u': {
                if (at_ + 4 > s_.size()) return std::nullopt;
                unsigned code = 0;
                for (int i = 0; i < 4; ++i) {
                    const char h = s_[at_++];
                    code *= 16;
                    if (h >= '0' && h <= '9')
                        code += static_cast<unsigned>(h - '0');
                    else if (h >= 'a' && h <= 'f')
                        code += static_cast<unsigned>(h - 'a' + 10);
                    else if (h >= 'A' && h <= 'F')
                        code += static_cast<unsigned>(h - 'A' + 10);
                    else
                        return std::nullopt;
                }
                // The writer escapes bytes of 8-bit text as \u00XX: they come back as bytes.
                if (code < 0x100)
                    out += static_cast<char>(code);
                else
                    appendUtf8(out, code);
                break;
            }
            default:
                return std::nullopt;
            }
        }
        return std::nullopt;
    }
};

} // namespace

RendererLines rendererFromDumps(const std::vector<std::string>& dumpTexts) {
    RendererLines r;
    for (const auto& text : dumpTexts) {
        std::vector<std::string> lines;
        std::size_t widest = 0;
        for (std::size_t at = 0; at <= text.size();) {
            const auto end = std::min(text.find('\n', at), text.size());
            lines.push_back(text.substr(at, end - at));
            widest = std::max(widest, lines.back().size());
            at = end + 1;
        }
        // The console breaks a line that does not fit its width before the word
        // that overflows, and a dump keeps the pieces as lines of their own. A
        // piece continues the line before it when that word would not have fitted
        // there; the widest line of the dump stands for the console's width.
        auto continues = [&](std::size_t i) {
            if (i + 1 >= lines.size() || lines[i + 1].empty() || lines[i + 1][0] == ' ')
                return false;
            const std::string& next = lines[i + 1];
            const auto word = std::min(next.find(' '), next.size());
            if (next.find(": ") != std::string::npos) return false; // a line of its own
            return lines[i].size() + 1 + word > widest;
        };
        // Every piece of the extension list is extension names alone.
        auto extensionsGoOn = [&](std::size_t i) {
            if (i + 1 >= lines.size() || lines[i + 1].empty()) return false;
            for (const auto& name : wordsOf(lines[i + 1]))
                if (name.find('_') == std::string::npos || name.find(':') != std::string::npos ||
                    !std::isupper(static_cast<unsigned char>(name[0])))
                    return false;
            return true;
        };
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const std::string& line = lines[i];
            auto whole = [&](const char* label, bool list) {
                std::string value = line.substr(std::string(label).size());
                while (list ? extensionsGoOn(i) : continues(i)) {
                    while (!value.empty() && value.back() == ' ')
                        value.pop_back();
                    value += " " + lines[++i];
                }
                return value;
            };
            if (startsWith(line, "GL_VENDOR: "))
                r.vendor = whole("GL_VENDOR: ", false);
            else if (startsWith(line, "GL_RENDERER: "))
                r.renderer = whole("GL_RENDERER: ", false);
            else if (startsWith(line, "GL_VERSION: "))
                r.version = whole("GL_VERSION: ", false);
            else if (startsWith(line, "GL_EXTENSIONS: ")) {
                // The list is long and says little read by eye; its length and hash
                // tell whether two drivers offer the same.
                std::string list = whole("GL_EXTENSIONS: ", true);
                while (!list.empty() && list.back() == ' ')
                    list.pop_back();
                r.extensionsLength = list.size();
                r.extensionsHash = hash64(list);
            } else if (isVersionLine(line))
                r.gameVersion = line;
        }
    }
    return r;
}

const std::string* SystemRecord::find(const std::string& name) const {
    for (const auto& [k, v] : fields)
        if (k == name) return &v;
    return nullptr;
}

void SystemRecord::set(const std::string& name, const std::string& value) {
    for (auto& [k, v] : fields)
        if (k == name) {
            v = value;
            return;
        }
    fields.emplace_back(name, value);
}

const std::vector<std::string>& systemKeys() {
    static const std::vector<std::string> keys{"renderer",
                                               "GL vendor",
                                               "GL version",
                                               "GL extensions length",
                                               "GL extensions hash",
                                               "game version",
                                               "OS",
                                               "OS version",
                                               "CPU",
                                               "logical cores",
                                               "memory",
                                               "display",
                                               "dump mode",
                                               "custom settings",
                                               "Framewise version"};
    return keys;
}

std::string systemRecordJson(const SystemRecord& record) {
    std::string out = "{\n";
    for (std::size_t i = 0; i < record.fields.size(); ++i)
        out += "  " + jsonText(record.fields[i].first) + ": " + jsonText(record.fields[i].second) +
               (i + 1 < record.fields.size() ? ",\n" : "\n");
    return out + "}\n";
}

std::string systemRecordInline(const SystemRecord& record) {
    std::string out = "{";
    for (std::size_t i = 0; i < record.fields.size(); ++i)
        out += (i ? ", " : "") + jsonText(record.fields[i].first) + ": " +
               jsonText(record.fields[i].second);
    return out + "}";
}

std::string reportJson(const ReportTable& table, const std::optional<SystemRecord>& system) {
    std::string out = reportJson(table);
    // The table's object ends in "\n}\n"; the record's fields go before its brace.
    const auto close = out.rfind('}');
    if (close == std::string::npos) return out;
    std::size_t end = close;
    while (end > 0 && out[end - 1] == '\n')
        --end;
    out.erase(end);
    out += std::string(",\n  \"systemRecorded\": ") + (system ? "true" : "false") +
           ",\n  \"system\": " + (system ? systemRecordInline(*system) : "null") + "\n}\n";
    return out;
}

std::optional<SystemRecord> parseSystemRecord(const std::string& bytes) {
    if (bytes.size() > kMaxReportBytes) return std::nullopt;
    return FlatJson(bytes).read();
}

std::string systemRecordPath(const std::string& reportPath) {
    std::string stem = reportPath;
    if (stem.size() >= 4) {
        std::string tail = stem.substr(stem.size() - 4);
        std::transform(tail.begin(), tail.end(), tail.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (tail == ".txt") stem.resize(stem.size() - 4);
    }
    return stem + kSystemSuffix;
}

bool isSystemRecordName(const std::string& name) {
    const std::string suffix = kSystemSuffix;
    return name.size() > suffix.size() &&
           name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::optional<SystemRecord> readSystemRecord(const std::string& reportPath) {
    std::error_code ec;
    const auto path = core::fsPath(systemRecordPath(reportPath));
    if (!fs::is_regular_file(path, ec)) return std::nullopt;
    auto bytes = core::readAll(path);
    if (!bytes) return std::nullopt;
    return parseSystemRecord(*bytes);
}

bool writeSystemRecord(const std::string& path, const SystemRecord& record, std::string& why) {
    // Each line ends in CR LF, as the tool's other text files do.
    const std::string json = systemRecordJson(record);
    std::string bytes;
    for (std::size_t at = 0; at < json.size();) {
        const auto end = json.find('\n', at);
        bytes += json.substr(at, end - at) + "\r\n";
        at = end == std::string::npos ? json.size() : end + 1;
    }
    // Whole or absent, and never in the place of a file or link already there.
    switch (core::writeNewFile(core::fsPath(path), bytes, &why)) {
    case core::Placed::Written:
        return true;
    case core::Placed::Taken:
        why = "a file of that name is already there";
        return false;
    case core::Placed::Failed:
        return false;
    }
    return false;
}

SystemRecord gatherSystemRecord(const std::string& mainFolder, const core::GameProfile& game,
                                const std::string& reportName) {
    SystemRecord r;
    r.set("report", reportName);
    r.set("Framewise version", FRAMEWISE_VERSION);

    std::vector<std::string> texts;
    if (auto table = BuildDumpTable(mainFolder)) {
        const DumpFolder folder(mainFolder, game);
        for (const auto& row : table->rows)
            for (const auto& name : row) {
                auto dump = ReadConsoleDump(folder, name);
                if (dump.status == DumpStatus::Present) texts.push_back(std::move(dump.text));
            }
    }
    const RendererLines gl = rendererFromDumps(texts);
    r.set("game version", gl.gameVersion);
    r.set("GL vendor", gl.vendor);
    r.set("renderer", gl.renderer);
    r.set("GL version", gl.version);
    r.set("GL extensions length", gl.extensionsLength ? std::to_string(*gl.extensionsLength) : "");
    r.set("GL extensions hash", gl.extensionsHash);

    const auto facts = platform::systemFacts();
    r.set("OS", facts.osName);
    r.set("OS version", facts.osVersion);
    r.set("CPU", facts.cpu);
    r.set("logical cores", facts.logicalCores ? std::to_string(facts.logicalCores) : "");
    r.set("memory",
          facts.memoryBytes ? std::to_string(facts.memoryBytes / (1024 * 1024)) + " MiB" : "");
    r.set("display", facts.displayWidth > 0 ? std::to_string(facts.displayWidth) + "x" +
                                                  std::to_string(facts.displayHeight)
                                            : "");

    if (auto lines = core::readLines(core::fsPath(mainFolder + bench::kRunRecordFile))) {
        if (auto rec = parseRunRecord(*lines).record) {
            r.set("demo", rec->demo);
            r.set("levels", joined(rec->levels, ", "));
            r.set("resolutions", joined(rec->resolutions, ", "));
            r.set("runs", rec->runsLine);
            r.set("dump mode",
                  rec->mode == DumpMode::ThreePerDump ? "three per dump" : "one per dump");
            r.set("comment", rec->comment);
            std::string custom;
            if (std::find(rec->levels.begin(), rec->levels.end(), "Custom") != rec->levels.end())
                if (auto cfg = core::readLines(core::fsPath(mainFolder + "FRWb_custom.cfg")))
                    for (const auto& line : *cfg)
                        if (!line.empty()) custom += (custom.empty() ? "" : "; ") + line;
            r.set("custom settings", custom);
        }
    }
    return r;
}

} // namespace results
