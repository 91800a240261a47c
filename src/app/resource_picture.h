#pragma once
// The window's pictures are stored as plain pixel files (binary PPM, and PAM
// for those with transparency) and read here without the toolkit's image
// reader: that reader scans the image plugin folder and decodes PNG or JPEG,
// together about a third of the window's construction.

#include <QImage>
#include <QString>

// The picture at a resource path, or a null image when the resource is missing
// or is not a PPM (P6, 8 bits) or PAM (P7, RGB_ALPHA, 8 bits) of the size it says.
QImage readResourcePicture(const QString& path);

// The same reading from bytes, for tests.
QImage readPixelFile(const QByteArray& bytes);
