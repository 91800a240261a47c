#include "core/textfile.h"

#include <system_error>

namespace core {

std::filesystem::path scratchFor(const std::filesystem::path& file) {
    auto scratch = file;
    scratch += ".tmp";
    return scratch;
}

Placed writeNewFile(const std::filesystem::path& file, const std::string& bytes, std::string* why) {
    auto say = [&](const std::string& text) {
        if (why) *why = text;
    };
    // Hidden where the system hides dot names, so a scratch left by a crash is
    // not listed among the reports.
    const auto scratch = file.parent_path() / ("." + file.filename().string() + ".tmp");
    platform::FileSink out;
    if (auto problem = out.open(scratch, Creation::Fresh); !problem.empty()) {
        say(problem);
        return Placed::Failed;
    }
    bool written = out.write(bytes.data(), bytes.size()) && out.sync();
    written = out.close() && written;
    std::error_code ignored;
    if (!written) {
        std::filesystem::remove(scratch, ignored);
        say("writing it failed (is the disk full?)");
        return Placed::Failed;
    }
    bool taken = false;
    if (auto problem = platform::renameToFreeName(scratch, file, taken); !problem.empty()) {
        std::filesystem::remove(scratch, ignored);
        say(problem);
        return taken ? Placed::Taken : Placed::Failed;
    }
    platform::syncFolder(file.parent_path());
    return Placed::Written;
}

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
    target_ = file;
    scratch_.clear();
    if (creation == Creation::Replace) {
        why_ = platform::replaceProblem(file);
        if (why_.empty()) {
            scratch_ = scratchFor(file);
            why_ = out_.open(scratch_, Creation::Fresh);
            if (!why_.empty()) scratch_.clear();
        }
    } else {
        why_ = out_.open(file, creation);
    }
    ok_ = why_.empty();
    return ok_;
}

LineWriter::~LineWriter() {
    if (!out_.isOpen() || scratch_.empty()) return;
    out_.close();
    std::error_code ignored;
    std::filesystem::remove(scratch_, ignored);
}

bool LineWriter::fail(const std::string& why) {
    ok_ = false;
    if (why_.empty()) why_ = why;
    return false;
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
    constexpr const char* kFull = "writing it failed (is the disk full?)";
    if (scratch_.empty()) {
        if (!out_.close()) fail(kFull);
        return ok_;
    }
    // The old file stays until the new one is whole on the disk.
    if (ok_ && !out_.sync()) fail(kFull);
    if (!out_.close()) fail(kFull);
    if (ok_) {
        if (auto why = platform::renameReplacing(scratch_, target_); !why.empty()) fail(why);
    }
    std::error_code ignored;
    if (!ok_) {
        std::filesystem::remove(scratch_, ignored);
    } else {
        platform::syncFolder(target_.parent_path());
    }
    scratch_.clear();
    return ok_;
}

} // namespace core
