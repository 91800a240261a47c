// The stand-in game's command text: the buffer gives back its text command by
// command, and the words of a command come from that command alone.
#include "command_text.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using gamesim::CommandBuffer;
    const std::string text(reinterpret_cast<const char*>(data), size);
    CommandBuffer buffer;
    const bool fits = buffer.append(text);
    fuzz::check(fits == (text.size() < CommandBuffer::kCapacity), "the buffer takes what fits");
    if (!fits) {
        fuzz::check(buffer.empty(), "text that does not fit leaves the buffer as it was");
        return 0;
    }
    fuzz::check(!buffer.insertFront(std::string(CommandBuffer::kCapacity, 'x')) &&
                    buffer.text() == text,
                "an insert that does not fit leaves the buffer as it was");

    std::string rest = text;
    while (!buffer.empty()) {
        const std::size_t before = buffer.text().size();
        const std::string command = buffer.takeCommand();
        const std::size_t after = buffer.text().size();
        fuzz::check(after < before, "every command takes something from the buffer");
        fuzz::check(command.size() <= CommandBuffer::kMaxCommand, "a command is at most 1023 bytes");
        fuzz::check(command.find_first_of("\r\n") == std::string::npos,
                    "a command holds no line end", fuzz::shown(command));
        // What went is the command and at most one separator after it.
        fuzz::check(rest.compare(0, command.size(), command) == 0 &&
                        before - after - command.size() <= 1 &&
                        rest.substr(before - after) == buffer.text(),
                    "the buffer gives its text back in order");
        if (before - after > command.size()) {
            const char sep = rest[command.size()];
            fuzz::check(sep == ';' || sep == '\n' || sep == '\r', "commands end at ; or a line end",
                        fuzz::shown(std::string(1, sep)));
        }
        rest = buffer.text();

        const auto words = gamesim::tokenize(command);
        std::size_t bytes = 0;
        for (const auto& w : words) {
            bytes += w.size();
            fuzz::check(w.find('\0') == std::string::npos, "a word holds no NUL");
        }
        fuzz::check(bytes <= command.size(), "the words come from the command");
        // A command without quotes splits at blanks and control characters only.
        if (command.find_first_of("\"/") == std::string::npos) {
            std::string joined;
            for (const auto& w : words) {
                fuzz::check(!w.empty(), "an unquoted word is never empty");
                for (unsigned char c : w)
                    fuzz::check(c > ' ', "an unquoted word holds no blank", fuzz::shown(w));
                joined += w;
            }
            std::string visible;
            for (unsigned char c : command.substr(0, command.find('\0')))
                if (c > ' ') visible += static_cast<char>(c);
            fuzz::check(joined == visible, "the words hold every visible byte of the command");
        }
    }
    fuzz::check(rest.empty(), "the buffer runs empty");
    return 0;
}
