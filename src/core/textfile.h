#pragma once
// Every file the tool reads or writes is 8-bit text. Lines are written with CR LF,
// in binary mode so that no platform adds or drops a CR. A line read ends at CR or
// CR LF; a lone LF stays inside the line (the game's console dumps use bare LF).
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace core {

// Creates the file anew with one CR LF ended line per entry. False when it cannot be written.
bool writeLines(const std::filesystem::path& file, const std::vector<std::string>& lines);

// Every line of the file, or nothing when it cannot be opened.
std::optional<std::vector<std::string>> readLines(const std::filesystem::path& file);

// The first line, or nothing when the file cannot be opened or holds no line at all.
std::optional<std::string> readFirstLine(const std::filesystem::path& file);

// Splits text into lines the way readLines does.
std::vector<std::string> splitLines(const std::string& text);

// The whole content as bytes, or nothing when it cannot be opened.
std::optional<std::string> readAll(const std::filesystem::path& file);

// Writes a text file piece by piece, for files whose lines are built in parts
// (the report). Nothing is flushed until close(); ok() tells whether every write landed.
class LineWriter {
public:
    bool open(const std::filesystem::path& file);
    void write(const std::string& text);  // no line end
    void endLine();                       // CR LF
    void line(const std::string& text) { write(text), endLine(); }
    bool close();
    bool ok() const { return ok_; }
    bool isOpen() const { return out_.is_open(); }

private:
    std::ofstream out_;
    bool ok_ = false;
};

} // namespace core
