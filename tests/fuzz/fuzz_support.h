#pragma once
// Shared pieces of the fuzz targets: a failure that names the broken rule, a
// scratch folder of the process, inputs cut into parts, and dialogs that answer
// from the input itself.
#include "core/dialogs.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace fuzz {

// A rule the code broke: print it and abort, so libFuzzer keeps the input.
[[noreturn]] inline void fail(const std::string& rule, const std::string& detail = {}) {
    std::fprintf(stderr, "fuzz check failed: %s\n", rule.c_str());
    if (!detail.empty()) std::fprintf(stderr, "  %s\n", detail.c_str());
    std::abort();
}

inline void check(bool ok, const std::string& rule, const std::string& detail = {}) {
    if (!ok) fail(rule, detail);
}

// Bytes shown safely in a failure message.
inline std::string shown(std::string_view bytes) {
    std::string out = "\"";
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7f && c != '"' && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            out += hex;
        }
    }
    return out + "\"";
}

// One input holding several files: parts are separated by this line.
inline constexpr std::string_view kPartBreak = "\n=====\n";

inline std::vector<std::string> splitParts(const std::uint8_t* data, std::size_t size) {
    std::string_view all(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> parts;
    for (;;) {
        const auto at = all.find(kPartBreak);
        parts.emplace_back(all.substr(0, at));
        if (at == std::string_view::npos) return parts;
        all.remove_prefix(at + kPartBreak.size());
    }
}

// A folder of this process under the system's temporary folder, emptied for each
// input. Everything a target writes stays inside it.
class Scratch {
  public:
    explicit Scratch(const std::string& tag) {
        namespace fs = std::filesystem;
        // Memory-backed when the system has it: a target writes files for every input.
        std::error_code ec;
        const fs::path base = fs::is_directory("/dev/shm", ec) && ::access("/dev/shm", W_OK) == 0
                                  ? fs::path("/dev/shm")
                                  : fs::temp_directory_path();
        root_ = base / ("framewise-fuzz-" + tag + "-" + std::to_string(::getpid()));
        fs::create_directories(root_);
        std::atexit(&Scratch::removeLast);
        last() = root_;
    }
    // Empties the folder and returns it, with a trailing separator.
    std::string fresh() {
        namespace fs = std::filesystem;
        std::error_code ec;
        fs::remove_all(root_, ec);
        fs::create_directories(root_, ec);
        return (root_ / "").string();
    }
    const std::filesystem::path& root() const { return root_; }

  private:
    static std::filesystem::path& last() {
        static std::filesystem::path p;
        return p;
    }
    static void removeLast() {
        std::error_code ec;
        std::filesystem::remove_all(last(), ec);
    }
    std::filesystem::path root_;
};

// Writes bytes to a file, creating it anew; false when it cannot.
bool writeFile(const std::filesystem::path& file, const std::string& bytes);

// Dialogs that take their answers from a list (the fuzzer's choice); once the list
// is used up every question gets Yes and every file dialog a cancel, so a flow
// that asks until it is satisfied always ends.
class AnsweringDialogs : public core::Dialogs {
  public:
    explicit AnsweringDialogs(std::vector<std::string> answers) : answers_(std::move(answers)) {}

    core::Answer message(const core::Message& m) override;
    std::string inputBox(const std::string&, const std::string&, const std::string&) override;
    std::string openFile(core::FileDialog which, const std::string&) override;

    int shown = 0;

  private:
    std::string next(bool& had);
    std::vector<std::string> answers_;
    std::size_t used_ = 0;
    std::string lastFile_[2];
};

} // namespace fuzz
