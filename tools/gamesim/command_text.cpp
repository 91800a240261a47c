#include "command_text.h"

namespace gamesim {

bool CommandBuffer::append(const std::string& text) {
    if (text_.size() + text.size() >= kCapacity) return false;
    text_ += text;
    return true;
}

bool CommandBuffer::insertFront(const std::string& text) {
    if (text_.size() + text.size() + 1 >= kCapacity) return false;
    text_.insert(0, text + '\n');
    return true;
}

std::string CommandBuffer::takeCommand() {
    int quotes = 0;
    std::size_t i = 0;
    for (; i < text_.size(); ++i) {
        char c = text_[i];
        if (c == '"') ++quotes;
        if (!(quotes & 1) && c == ';') break;
        if (c == '\n' || c == '\r') break;
    }
    std::size_t length = i < kMaxCommand ? i : kMaxCommand;
    std::string command = text_.substr(0, length);
    // The separator goes with the command; an over-long command leaves its rest behind.
    std::size_t consumed = i < kMaxCommand ? i + 1 : kMaxCommand;
    text_.erase(0, consumed < text_.size() ? consumed : text_.size());
    return command;
}

std::vector<std::string> tokenize(const std::string& command) {
    std::vector<std::string> words;
    const auto* t = reinterpret_cast<const unsigned char*>(command.c_str());
    for (;;) {
        for (;;) {
            while (*t && *t <= ' ')
                ++t;
            if (!*t) return words;
            if (t[0] == '/' && t[1] == '/') return words;
            if (t[0] == '/' && t[1] == '*') {
                while (*t && !(t[0] == '*' && t[1] == '/'))
                    ++t;
                if (!*t) return words;
                t += 2;
            } else {
                break;
            }
        }
        std::string word;
        if (*t == '"') {
            ++t;
            while (*t && *t != '"')
                word += static_cast<char>(*t++);
            words.push_back(word);
            if (!*t) return words;
            ++t;
            continue;
        }
        while (*t > ' ') {
            if (t[0] == '"') break;
            if (t[0] == '/' && (t[1] == '/' || t[1] == '*')) break;
            word += static_cast<char>(*t++);
        }
        words.push_back(word);
        if (!*t) return words;
    }
}

std::string lowerAscii(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

} // namespace gamesim
