#pragma once
// The tool's texts are 8-bit in the system's code page; Qt holds Unicode.
#include <QString>
#include <string>

inline QString toQt(const std::string& text) {
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}
inline std::string fromQt(const QString& text) {
    return text.toLocal8Bit().toStdString();
}
