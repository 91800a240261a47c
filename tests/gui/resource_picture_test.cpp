// The window's pictures are plain pixel files read without the toolkit's image
// reader; a file that does not say exactly what it holds gives no picture.
#include "window_fixture.h"

#include "app/resource_picture.h"

#include <QColor>
#include <QLabel>

using namespace testing_support;

namespace {

QByteArray ppm(const QByteArray& header, qsizetype pixelBytes) {
    return header + QByteArray(pixelBytes, '\x40');
}

} // namespace

TEST_F(WindowTest, EveryPictureIsReadAtItsSize) {
    struct Case {
        const char* path;
        QSize size;
        bool alpha;
    };
    for (const Case& c : {Case{":/framewise/banner.ppm", {600, 64}, false},
                          Case{":/framewise/corner.ppm", {64, 64}, false},
                          Case{":/framewise/picture1.ppm", {150, 100}, false},
                          Case{":/framewise/picture4.ppm", {160, 80}, false},
                          Case{":/framewise/icon.pam", {64, 64}, true},
                          Case{":/framewise/pointer.pam", {32, 32}, true}}) {
        SCOPED_TRACE(c.path);
        QImage image = readResourcePicture(QString::fromLatin1(c.path));
        EXPECT_EQ(image.size(), c.size);
        EXPECT_EQ(image.hasAlphaChannel(), c.alpha);
    }
    EXPECT_EQ(get<QLabel>("Picture2")->pixmap().size(), QSize(600, 64));
    EXPECT_TRUE(readResourcePicture(QStringLiteral(":/framewise/missing.ppm")).isNull());
}

TEST(PixelFile, ReadsPixelsAndRefusesWhatDoesNotAddUp) {
    QImage rgb =
        readPixelFile(QByteArray("P6\n2 1\n255\n") + QByteArray("\xff\x00\x00\x00\x00\xff", 6));
    ASSERT_EQ(rgb.size(), QSize(2, 1));
    EXPECT_EQ(rgb.pixelColor(0, 0), QColor(255, 0, 0));
    EXPECT_EQ(rgb.pixelColor(1, 0), QColor(0, 0, 255));

    QImage rgba = readPixelFile(
        QByteArray("P7\nWIDTH 1\nHEIGHT 1\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n") +
        QByteArray("\x00\xff\x00\x80", 4));
    ASSERT_EQ(rgba.size(), QSize(1, 1));
    EXPECT_EQ(rgba.pixelColor(0, 0).alpha(), 0x80);
    EXPECT_EQ(rgba.pixelColor(0, 0).green(), 255);

    const QByteArray pam = "P7\nWIDTH 2\nHEIGHT 2\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\n";
    for (const QByteArray& bad :
         {QByteArray(), QByteArray("P6"), ppm("P6\n2 2\n255\n", 11), ppm("P6\n2 2\n255\n", 13),
          ppm("P6\n2 2\n65535\n", 24), ppm("P5\n2 2\n255\n", 4), ppm("P6\n-2 2\n255\n", 12),
          ppm("P6\n99999 99999\n255\n", 12), ppm("P6\n0 0\n255\n", 0), ppm(pam, 16),
          ppm(pam + "ENDHDR\n", 15), ppm(pam + "ENDHDR", 16),
          ppm("P7\nWIDTH 2\nHEIGHT 2\nDEPTH 3\nMAXVAL 255\nTUPLTYPE RGB\nENDHDR\n", 12),
          ppm("P7\nWIDTH 2\nCOLOUR 2\nENDHDR\n", 16)}) {
        SCOPED_TRACE(bad.left(40).toStdString());
        EXPECT_TRUE(readPixelFile(bad).isNull());
    }
}
