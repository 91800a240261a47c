#include "console.h"

#include <algorithm>

namespace gamesim {

Console::Console() : cells_(kCells - kCells % kLineWidth, ' ') {}

void Console::lineFeed() {
    x_ = 0;
    ++current_;
    std::fill_n(lineAt(current_), kLineWidth, ' ');
}

void Console::print(const std::string& text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.c_str());
    while (unsigned char c = *p) {
        // "^" and any other character pick a colour and are not shown.
        if (c == '^' && p[1] && p[1] != '^') {
            p += 2;
            continue;
        }
        int word = 0;
        while (word < kLineWidth && p[word] > ' ')
            ++word;
        if (word != kLineWidth && x_ + word >= kLineWidth) lineFeed();
        ++p;
        if (c == '\n') {
            lineFeed();
        } else if (c == '\r') {
            x_ = 0;
        } else {
            lineAt(current_)[x_] = static_cast<char>(c);
            if (++x_ >= kLineWidth) lineFeed();
        }
    }
}

void Console::clear() {
    std::fill(cells_.begin(), cells_.end(), ' ');
}

std::string Console::dumpText() const {
    long line = current_ - kTotalLines + 1;
    for (; line <= current_; ++line) {
        const char* l = lineAt(line);
        if (std::any_of(l, l + kLineWidth, [](char c) { return c != ' '; })) break;
    }
    std::string out;
    for (; line <= current_; ++line) {
        const char* l = lineAt(line);
        int end = kLineWidth;
        while (end > 0 && l[end - 1] == ' ')
            --end;
        out.append(l, end);
        out += '\n';
    }
    return out;
}

} // namespace gamesim
