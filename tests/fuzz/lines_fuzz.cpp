// The line reader and writer every file of the tool goes through, against a
// plain splitter, and a write followed by a read that must give the lines back.
#include "fuzz_support.h"
#include "core/folders.h"
#include "core/textfile.h"

namespace {

// A line ends at CR or CR LF; a lone LF stays in the line; a final line end
// starts no further line.
std::vector<std::string> plainSplit(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    bool open = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            lines.push_back(line);
            line.clear();
            open = false;
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            line += text[i];
            open = true;
        }
    }
    if (open) lines.push_back(line);
    return lines;
}

fuzz::Scratch& scratch() {
    static fuzz::Scratch s("lines");
    return s;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto lines = core::splitLines(text);
    fuzz::check(lines == plainSplit(text), "lines split at CR and CR LF only");

    const std::string folder = scratch().fresh();
    const auto file = core::fsPath(folder + "FRWb_setup.ini");
    fuzz::check(fuzz::writeFile(file, text), "the scratch file is written");
    fuzz::check(core::readAll(file) == text, "a file is read whole, byte for byte");
    fuzz::check(core::readLines(file) == lines, "reading a file splits it as the text");
    const auto first = core::readFirstLine(file);
    fuzz::check(first.has_value() == !lines.empty() && (!first || *first == lines.front()),
                "the first line is the first of the lines");

    // Every line holds no CR now, so writing them and reading back is lossless.
    const auto written = core::fsPath(folder + "FRWb_condump_list.ini");
    fuzz::check(core::writeLines(written, lines), "the lines are written");
    std::string expected;
    for (const auto& l : lines)
        expected += l + "\r\n";
    fuzz::check(core::readAll(written) == expected, "each line is written with CR LF");
    fuzz::check(core::readLines(written) == lines, "written lines read back unchanged");
    return 0;
}
