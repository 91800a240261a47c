#include "core/textfile.h"

namespace core {

bool writeLines(const std::filesystem::path& file, const std::vector<std::string>& lines,
                std::string* why) {
    LineWriter w;
    bool written = w.open(file);
    if (written) {
        for (const auto& l : lines) w.line(l);
        written = w.close();
    }
    if (!written && why) *why = w.why();
    return written;
}

std::optional<std::string> readAll(const std::filesystem::path& file, std::string* why,
                                   std::uintmax_t limit) {
    auto read = platform::readOrdinaryFile(file, limit);
    if (!read.bytes && why) *why = read.why;
    return std::move(read.bytes);
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

std::optional<std::vector<std::string>> readLines(const std::filesystem::path& file,
                                                  std::string* why) {
    auto bytes = readAll(file, why);
    if (!bytes) return std::nullopt;
    return splitLines(*bytes);
}

std::optional<std::string> readFirstLine(const std::filesystem::path& file, std::string* why) {
    auto bytes = readAll(file, why, kFirstLineLimit);
    if (!bytes || bytes->empty()) return std::nullopt;
    return bytes->substr(0, bytes->find('\r'));
}

bool LineWriter::open(const std::filesystem::path& file, Creation creation) {
    pending_.clear();
    why_ = out_.open(file, creation);
    ok_ = why_.empty();
    return ok_;
}

void LineWriter::write(const std::string& text) {
    if (!out_.isOpen()) return;
    pending_ += text;
    if (pending_.size() >= (1u << 16)) flush();
}

void LineWriter::endLine() { write("\r\n"); }

bool LineWriter::flush() {
    if (!pending_.empty() && !out_.write(pending_.data(), pending_.size())) {
        ok_ = false;
        if (why_.empty()) why_ = "writing it failed (is the disk full?)";
    }
    pending_.clear();
    return ok_;
}

bool LineWriter::close() {
    if (!out_.isOpen()) return false;
    flush();
    if (!out_.close()) {
        ok_ = false;
        if (why_.empty()) why_ = "writing it failed (is the disk full?)";
    }
    return ok_;
}

} // namespace core
