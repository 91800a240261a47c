#include "core/textfile.h"

#include <iterator>

namespace core {

bool writeLines(const std::filesystem::path& file, const std::vector<std::string>& lines) {
    LineWriter w;
    if (!w.open(file)) return false;
    for (const auto& l : lines) w.line(l);
    return w.close();
}

std::optional<std::string> readAll(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    // Block reads: a character-by-character copy made reading the dumps of a
    // large run the slowest part of compiling it.
    std::string bytes;
    char block[1 << 16];
    while (in.read(block, sizeof block) || in.gcount() > 0)
        bytes.append(block, static_cast<std::size_t>(in.gcount()));
    if (in.bad()) return std::nullopt;
    return bytes;
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string::size_type start = 0;
    while (start < text.size()) {
        auto cr = text.find('\r', start);
        if (cr == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, cr - start));
        start = cr + 1;
        if (start < text.size() && text[start] == '\n') ++start;
    }
    return lines;
}

std::optional<std::vector<std::string>> readLines(const std::filesystem::path& file) {
    auto bytes = readAll(file);
    if (!bytes) return std::nullopt;
    return splitLines(*bytes);
}

std::optional<std::string> readFirstLine(const std::filesystem::path& file) {
    auto lines = readLines(file);
    if (!lines || lines->empty()) return std::nullopt;
    return lines->front();
}

bool LineWriter::open(const std::filesystem::path& file) {
    out_.open(file, std::ios::binary | std::ios::trunc);
    ok_ = out_.is_open();
    return ok_;
}

void LineWriter::write(const std::string& text) {
    if (!out_.is_open()) return;
    out_.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (!out_) ok_ = false;
}

void LineWriter::endLine() { write("\r\n"); }

bool LineWriter::close() {
    if (!out_.is_open()) return false;
    out_.close();
    if (out_.fail()) ok_ = false;
    return ok_;
}

} // namespace core
