#pragma once
// How the console language is cut into commands and words.
#include <cstddef>
#include <string>
#include <vector>

namespace gamesim {

// The command buffer: text waiting to run, taken one command at a time.
class CommandBuffer {
  public:
    static constexpr std::size_t kCapacity = 16384;
    static constexpr std::size_t kMaxCommand = 1023;

    // Both give false (and keep the buffer as it was) when the text does not fit.
    bool append(const std::string& text);
    bool insertFront(const std::string& text); // text and a line end, before everything else

    bool empty() const { return text_.empty(); }
    // Removes and returns the next command: up to a ";" outside quotes, or a CR or LF.
    std::string takeCommand();
    void clear() { text_.clear(); }
    const std::string& text() const { return text_; }

  private:
    std::string text_;
};

// The words of one command: blanks separate, a quoted string is one word without
// escapes, "//" ends the words, "/* */" is skipped.
std::vector<std::string> tokenize(const std::string& command);

// Lower-case ASCII copy; command and variable names are matched ignoring case.
std::string lowerAscii(std::string text);

} // namespace gamesim
