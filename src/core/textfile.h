#pragma once
// Every file the tool reads or writes is 8-bit text. Lines are written with CR LF,
// in binary mode so that no platform adds or drops a CR. A line read ends at CR or
// CR LF; a lone LF stays inside the line (the game's console dumps use bare LF).
// Only ordinary files are read, up to a bound, so a FIFO, a device or a huge
// file put in place of one is an error with a reason, never a hang.
#include "platform/ordinary_file.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace core {

// Largest file read: far above any dump, record or report the tool handles.
inline constexpr std::uintmax_t kReadLimit = 16u << 20;
// Largest file whose first line alone is wanted (the remembered paths).
inline constexpr std::uintmax_t kFirstLineLimit = 64u << 10;

// Creates the file anew with one CR LF ended line per entry, whole or not at all:
// on failure the file is as it was. False when it cannot be written; why then
// says what was wrong.
bool writeLines(const std::filesystem::path& file, const std::vector<std::string>& lines,
                std::string* why = nullptr);

// Every line of the file, or nothing when it cannot be read; why then says what was
// wrong ("it does not exist", "it is a FIFO, not an ordinary file", ...).
std::optional<std::vector<std::string>> readLines(const std::filesystem::path& file,
                                                  std::string* why = nullptr);

// The first line, or nothing when the file cannot be read (why is set) or holds no
// line at all (why stays empty).
std::optional<std::string> readFirstLine(const std::filesystem::path& file,
                                         std::string* why = nullptr);

// Splits text into lines the way readLines does.
std::vector<std::string> splitLines(const std::string& text);

// The whole content as bytes, or nothing when it cannot be read.
std::optional<std::string> readAll(const std::filesystem::path& file, std::string* why = nullptr,
                                   std::uintmax_t limit = kReadLimit);

using Creation = platform::FileSink::Mode;

// The scratch name a file is written under before it takes its own name.
std::filesystem::path scratchFor(const std::filesystem::path& file);

enum class Placed {
    Written, // the file now stands under its name
    Taken,   // another file already had that name; it was left alone
    Failed,  // nothing was written; why says what went wrong
};

// Writes bytes beside file, onto the disk, then gives them the name file only
// when that name is free: a file already there is never replaced.
Placed writeNewFile(const std::filesystem::path& file, const std::string& bytes,
                    std::string* why = nullptr);

// Writes a text file piece by piece, for files whose lines are built in parts
// (the report). Nothing is flushed until close(); ok() tells whether every write landed.
// A Replace file is written beside its name, put on the disk and renamed over it
// at close(), so it is replaced whole or not at all and never written through a
// link. A Fresh file is created new and never written through a link standing
// in its place.
class LineWriter {
public:
  LineWriter() = default;
  LineWriter(const LineWriter&) = delete;
  LineWriter& operator=(const LineWriter&) = delete;
  ~LineWriter(); // a file never closed is abandoned: its old content stays
  bool open(const std::filesystem::path& file, Creation creation = Creation::Replace);
  void write(const std::string& text); // no line end
  void endLine();                      // CR LF
  void line(const std::string& text) { write(text), endLine(); }
  bool close();
  bool ok() const { return ok_; }
  bool isOpen() const { return out_.isOpen(); }
  // Why open or close failed.
  const std::string& why() const { return why_; }

private:
    bool flush();
    bool fail(const std::string& why);
    platform::FileSink out_;
    std::filesystem::path target_, scratch_; // scratch_ empty: written in place
    std::string pending_;
    std::string why_;
    bool ok_ = false;
};

} // namespace core
