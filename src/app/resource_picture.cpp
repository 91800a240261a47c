#include "app/resource_picture.h"

#include <QResource>

#include <cstring>

namespace {

// Reads the header's words (PPM) or its "KEY value" lines (PAM) in turn.
class Header {
  public:
    explicit Header(const QByteArray& bytes) : bytes_(bytes) {}

    QByteArray word() {
        while (at_ < bytes_.size() && std::strchr(" \t\r\n", bytes_[at_]))
            ++at_;
        qsizetype start = at_;
        while (at_ < bytes_.size() && !std::strchr(" \t\r\n", bytes_[at_]))
            ++at_;
        return bytes_.mid(start, at_ - start);
    }
    // A number of 1 to 4 digits, or -1.
    int number() {
        QByteArray w = word();
        if (w.isEmpty() || w.size() > 4) return -1;
        for (char c : w)
            if (c < '0' || c > '9') return -1;
        return w.toInt();
    }
    // The pixels start after the single white space that ends the header.
    qsizetype pixelsStart() {
        if (at_ >= bytes_.size() || !std::strchr(" \t\r\n", bytes_[at_])) return -1;
        return at_ + 1;
    }

  private:
    const QByteArray& bytes_;
    qsizetype at_ = 0;
};

// The pixels in the window's own format: one pass, straight from the bytes,
// which stay the resource's.
QImage convertPixels(const QByteArray& bytes, qsizetype start, int width, int height, int channels,
                     QImage::Format stored, QImage::Format wanted) {
    if (width <= 0 || height <= 0 || start < 0) return {};
    const qsizetype line = qsizetype(width) * channels;
    if (bytes.size() - start != line * height) return {};
    QImage wrapped(reinterpret_cast<const uchar*>(bytes.constData() + start), width, height, line,
                   stored);
    return wrapped.convertToFormat(wanted);
}

} // namespace

QImage readPixelFile(const QByteArray& bytes) {
    Header h(bytes);
    QByteArray magic = h.word();
    if (magic == "P6") {
        int width = h.number(), height = h.number(), maxval = h.number();
        if (maxval != 255) return {};
        return convertPixels(bytes, h.pixelsStart(), width, height, 3, QImage::Format_RGB888,
                             QImage::Format_RGB32);
    }
    if (magic == "P7") {
        int width = -1, height = -1, depth = -1, maxval = -1;
        QByteArray type;
        for (QByteArray key = h.word(); key != "ENDHDR"; key = h.word()) {
            if (key == "WIDTH")
                width = h.number();
            else if (key == "HEIGHT")
                height = h.number();
            else if (key == "DEPTH")
                depth = h.number();
            else if (key == "MAXVAL")
                maxval = h.number();
            else if (key == "TUPLTYPE")
                type = h.word();
            else
                return {};
        }
        if (depth != 4 || maxval != 255 || type != "RGB_ALPHA") return {};
        return convertPixels(bytes, h.pixelsStart(), width, height, 4, QImage::Format_RGBA8888,
                             QImage::Format_ARGB32_Premultiplied);
    }
    return {};
}

QImage readResourcePicture(const QString& path) {
    QResource resource(path);
    if (!resource.isValid()) return {};
    return readPixelFile(resource.uncompressedData());
}
