#pragma once
// The game's console: a ring of fixed-width lines in which the oldest lines are
// overwritten, filled the way the engine prints (word wrap, colour codes hidden).
#include <string>
#include <vector>

namespace gamesim {

class Console {
  public:
    static constexpr int kLineWidth = 78;
    static constexpr int kCells = 32768;
    static constexpr int kTotalLines = kCells / kLineWidth; // 420

    Console();

    void print(const std::string& text);
    void clear();

    // The text a dump holds: leading blank lines skipped, trailing blanks of each
    // line trimmed, every line (the current one too) ended by LF.
    std::string dumpText() const;

  private:
    void lineFeed();
    char* lineAt(long line) { return &cells_[(line % kTotalLines) * kLineWidth]; }
    const char* lineAt(long line) const { return &cells_[(line % kTotalLines) * kLineWidth]; }

    std::vector<char> cells_;
    long current_ = kTotalLines - 1;
    int x_ = 0;
};

} // namespace gamesim
