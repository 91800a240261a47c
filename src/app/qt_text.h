#pragma once
// The tool's texts are 8-bit in the system's code page; Qt holds Unicode. File
// names are bytes that need not be valid in that code page (a demo named
// "caf\xe9.dm_2" on a UTF-8 system): each byte that does not decode is carried as
// the lone surrogate U+DC80 + byte, so that a name read back from a control is
// the very name listed, and the game finds the file.
#include <QString>
#include <string>

namespace qt_text_detail {

constexpr char16_t kEscapeBase = 0xDC00;

inline bool isEscape(const QString& text, qsizetype i) {
    const char16_t c = text[i].unicode();
    if (c < 0xDC80 || c > 0xDCFF) return false;
    // A low surrogate after a high one is half of an ordinary character.
    return i == 0 || !text[i - 1].isHighSurrogate();
}

// Length of the well-formed UTF-8 sequence at i, or 0.
inline std::size_t utf8Length(const std::string& s, std::size_t i) {
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char b = byte(i);
    if (b < 0x80) return 1;
    std::size_t n = b >= 0xC2 && b <= 0xDF ? 2 : b >= 0xE0 && b <= 0xEF ? 3 : b >= 0xF0 && b <= 0xF4 ? 4 : 0;
    if (n == 0 || i + n > s.size()) return 0;
    for (std::size_t k = 1; k < n; ++k)
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
    const unsigned char c = byte(i + 1);
    if ((b == 0xE0 && c < 0xA0) || (b == 0xED && c > 0x9F) || (b == 0xF0 && c < 0x90) ||
        (b == 0xF4 && c > 0x8F))
        return 0; // overlong, a surrogate, or past U+10FFFF
    return n;
}

} // namespace qt_text_detail

inline QString toQt(const std::string& text) {
    using namespace qt_text_detail;
    QString decoded = QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
    if (decoded.toLocal8Bit().toStdString() == text) return decoded;
    const bool utf8 = QString::fromLocal8Bit("\xC3\xA9") == QString(QChar(0xE9));
    QString out;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t n = utf8 ? utf8Length(text, i) : 1;
        if (n > 0) {
            const std::string piece = text.substr(i, n);
            QString one = QString::fromLocal8Bit(piece.data(), static_cast<qsizetype>(n));
            if (one.toLocal8Bit().toStdString() == piece) {
                out += one;
                i += n;
                continue;
            }
        }
        out += QChar(static_cast<char16_t>(kEscapeBase + static_cast<unsigned char>(text[i])));
        ++i;
    }
    return out;
}

inline std::string fromQt(const QString& text) {
    using namespace qt_text_detail;
    std::string out;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!isEscape(text, i)) continue;
        out += text.mid(start, i - start).toLocal8Bit().toStdString();
        out += static_cast<char>(text[i].unicode() - kEscapeBase);
        start = i + 1;
    }
    return out + text.mid(start).toLocal8Bit().toStdString();
}
