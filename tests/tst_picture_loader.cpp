// The picture loader against real files of every kind and variant we read,
// and against broken ones: cut short, empty, lying about their size.

#include "pictures/picture.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

// The BMP variants below are written with designated initialisers that leave
// the other members at their defaults, which is the point.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

using pictures::PictureKind;

namespace {

const QRgb R = qRgb(255, 0, 0), G = qRgb(0, 255, 0), B = qRgb(0, 0, 255);
const QRgb W = qRgb(255, 255, 255), K = qRgb(0, 0, 0), Y = qRgb(255, 255, 0);
const QRgb T = qRgba(0, 0, 0, 0); // transparent

// The 3 x 2 picture most BMP variants below store: top row R G B, bottom W K Y.
const QList<QRgb> kReference = {R, G, B, W, K, Y};
const QList<QRgb> kPalette6 = {R, G, B, W, K, Y};

void put16(QByteArray &a, quint32 v) { a.append(char(v & 0xff)).append(char(v >> 8 & 0xff)); }
void put32(QByteArray &a, quint32 v) { put16(a, v & 0xffff); put16(a, v >> 16); }

QByteArray bytesOf(std::initializer_list<int> values)
{
    QByteArray a;
    for (int v : values)
        a.append(char(v));
    return a;
}

QByteArray padded(QByteArray row)
{
    while (row.size() % 4)
        row.append('\0');
    return row;
}

// Writes a BMP file byte by byte, so that each header variant is exactly the
// one under test.
struct Bmp {
    int headerSize = 40; // 12: OS/2 1.x core; 64: OS/2 2.x; 40, 108, 124: Windows
    qint32 width = 3;
    qint32 height = 2; // negative: top-down
    int bitCount = 24;
    quint32 compression = 0;
    quint32 coloursUsed = 0;
    QList<QRgb> palette;
    QList<quint32> masks; // after a 40-byte header, inside a bigger one
    QByteArray pixels;    // exactly as stored
    std::optional<quint32> dataOffset;

    QByteArray bytes() const
    {
        QByteArray info;
        if (headerSize == 12) {
            put32(info, 12), put16(info, width), put16(info, height);
            put16(info, 1), put16(info, bitCount);
        } else {
            put32(info, headerSize), put32(info, width), put32(info, height);
            put16(info, 1), put16(info, bitCount), put32(info, compression);
            put32(info, pixels.size()), put32(info, 2835), put32(info, 2835);
            put32(info, coloursUsed), put32(info, 0);
            if (headerSize >= 52)
                for (quint32 m : masks)
                    put32(info, m);
            info.append(QByteArray(headerSize - info.size(), '\0'));
            if (headerSize == 40)
                for (quint32 m : masks)
                    put32(info, m);
        }
        for (QRgb c : palette) {
            info.append(char(qBlue(c))).append(char(qGreen(c))).append(char(qRed(c)));
            if (headerSize != 12)
                info.append('\0');
        }
        QByteArray file("BM");
        put32(file, 14 + info.size() + pixels.size());
        put32(file, 0);
        put32(file, dataOffset.value_or(14 + info.size()));
        return file + info + pixels;
    }
};

QByteArray rgbRow(const QList<QRgb> &colours, int bytesPerPixel = 3, int fourth = 0)
{
    QByteArray row;
    for (QRgb c : colours) {
        row.append(char(qBlue(c))).append(char(qGreen(c))).append(char(qRed(c)));
        if (bytesPerPixel == 4)
            row.append(char(fourth));
    }
    return padded(row);
}

QByteArray fixture(const QString &name)
{
    QFile file(QStringLiteral(TT_FIXTURES_DIR "/pictures/") + name);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing fixture %s", qPrintable(name));
    return file.readAll();
}

QByteArray png(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QImage referenceImage(QImage::Format format = QImage::Format_RGB32)
{
    QImage image(3, 2, format);
    for (int i = 0; i < 6; ++i)
        image.setPixel(i % 3, i / 3, kReference[i]);
    return image;
}

// Puts an EXIF block saying "rotate 90 degrees" right after the JPEG's SOI.
QByteArray withExifRotation(const QByteArray &jpeg)
{
    QByteArray tiff = bytesOf({'M', 'M', 0, 42, 0, 0, 0, 8, // big-endian, first IFD at 8
                               0, 1,                        // one entry
                               0x01, 0x12, 0, 3, 0, 0, 0, 1, 0, 6, 0, 0, // orientation = 6
                               0, 0, 0, 0});
    QByteArray app1 = QByteArray("Exif\0\0", 6) + tiff;
    const int length = int(app1.size()) + 2;
    QByteArray segment = bytesOf({0xFF, 0xE1, length >> 8, length & 0xff});
    return jpeg.left(2) + segment + app1 + jpeg.mid(2);
}

// Rewrites the size in a JPEG's start-of-frame segment.
QByteArray withJpegSize(QByteArray jpeg, int width, int height)
{
    for (int i = 2; i + 9 < jpeg.size(); ++i) {
        const uchar m = uchar(jpeg[i + 1]);
        if (uchar(jpeg[i]) == 0xFF && (m == 0xC0 || m == 0xC2)) {
            jpeg[i + 5] = char(height >> 8), jpeg[i + 6] = char(height);
            jpeg[i + 7] = char(width >> 8), jpeg[i + 8] = char(width);
            return jpeg;
        }
    }
    qFatal("no start of frame");
}

bool near(QRgb a, QRgb b, int tolerance)
{
    return qAbs(qRed(a) - qRed(b)) <= tolerance && qAbs(qGreen(a) - qGreen(b)) <= tolerance
           && qAbs(qBlue(a) - qBlue(b)) <= tolerance && qAbs(qAlpha(a) - qAlpha(b)) <= tolerance;
}

QString hex(QRgb c) { return QString::number(c, 16).rightJustified(8, '0'); }

} // namespace

class TestPictureLoader : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void bmpVariants_data();
    void bmpVariants();
    void otherKinds_data();
    void otherKinds();
    void refused_data();
    void refused();
    void everyCutIsRefused_data();
    void everyCutIsRefused();
    void kindComesFromContentNotName_data();
    void kindComesFromContentNotName();
    void tallStripLoads_data();
    void tallStripLoads();
    void emptyPathGivesNoPicture();
    void fileSystemFailures_data();
    void fileSystemFailures();
    void hugeFileIsNotRead();
    void hostilePicturesEndWithinTheirBudget_data();
    void hostilePicturesEndWithinTheirBudget();
    void wideMetafileIsDrawnInParts();
};

void TestPictureLoader::bmpVariants_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QList<QRgb>>("expected"); // 3 x 2, row by row from the top

    const QList<QRgb> monoExpected = {W, K, W, K, W, K};
    Bmp mono{.bitCount = 1, .palette = {K, W},
             .pixels = padded(bytesOf({0x40})) + padded(bytesOf({0xA0}))};
    QTest::newRow("1 bpp") << mono.bytes() << monoExpected;

    Bmp four{.bitCount = 4, .coloursUsed = 6, .palette = kPalette6,
             .pixels = padded(bytesOf({0x34, 0x50})) + padded(bytesOf({0x01, 0x20}))};
    QTest::newRow("4 bpp") << four.bytes() << kReference;

    Bmp eight{.bitCount = 8, .coloursUsed = 6, .palette = kPalette6,
              .pixels = padded(bytesOf({3, 4, 5})) + padded(bytesOf({0, 1, 2}))};
    QTest::newRow("8 bpp") << eight.bytes() << kReference;

    // Many writers store a short palette yet leave the count at zero.
    Bmp shortPalette = eight;
    shortPalette.coloursUsed = 0;
    QTest::newRow("8 bpp, palette length from the data offset") << shortPalette.bytes() << kReference;

    Bmp os2v2 = eight;
    os2v2.headerSize = 64;
    QTest::newRow("8 bpp, OS/2 2.x header") << os2v2.bytes() << kReference;

    QList<QRgb> palette16 = kPalette6;
    palette16.resize(16, K);
    Bmp core4{.headerSize = 12, .bitCount = 4, .palette = palette16, .pixels = four.pixels};
    QTest::newRow("4 bpp, OS/2 1.x core header") << core4.bytes() << kReference;

    Bmp rgb24{.pixels = rgbRow({W, K, Y}) + rgbRow({R, G, B})};
    QTest::newRow("24 bpp") << rgb24.bytes() << kReference;

    Bmp core24 = rgb24;
    core24.headerSize = 12;
    QTest::newRow("24 bpp, OS/2 1.x core header") << core24.bytes() << kReference;

    Bmp topDown{.height = -2, .pixels = rgbRow({R, G, B}) + rgbRow({W, K, Y})};
    QTest::newRow("24 bpp, top-down") << topDown.bytes() << kReference;

    const auto row16 = [](std::initializer_list<quint32> values) {
        QByteArray row;
        for (quint32 v : values)
            put16(row, v);
        return padded(row);
    };
    Bmp rgb555{.bitCount = 16,
               .pixels = row16({0x7fff, 0, 0x7fe0}) + row16({0x7c00, 0x03e0, 0x001f})};
    QTest::newRow("16 bpp, 5-5-5") << rgb555.bytes() << kReference;

    Bmp rgb565{.bitCount = 16, .compression = 3, .masks = {0xf800, 0x07e0, 0x001f},
               .pixels = row16({0xffff, 0, 0xffe0}) + row16({0xf800, 0x07e0, 0x001f})};
    QTest::newRow("16 bpp, 5-6-5 bit fields") << rgb565.bytes() << kReference;

    // The fourth byte of a plain 32-bit pixel is padding, not alpha.
    Bmp rgb32{.bitCount = 32, .pixels = rgbRow({W, K, Y}, 4, 0x00) + rgbRow({R, G, B}, 4, 0x7f)};
    QTest::newRow("32 bpp") << rgb32.bytes() << kReference;

    const QByteArray withAlpha = rgbRow({W, K, Y}, 4, 0xff);
    QByteArray alphaPixels = withAlpha + rgbRow({R, G, B}, 4, 0xff);
    alphaPixels[11] = char(0x80); // yellow, half transparent
    QList<QRgb> alphaExpected = kReference;
    alphaExpected[5] = qRgba(255, 255, 0, 0x80);
    const QList<quint32> argbMasks = {0xff0000, 0xff00, 0xff, 0xff000000};
    Bmp v5{.headerSize = 124, .bitCount = 32, .compression = 3, .masks = argbMasks,
           .pixels = alphaPixels};
    QTest::newRow("32 bpp, V5 header with alpha") << v5.bytes() << alphaExpected;

    Bmp alphaFields{.bitCount = 32, .compression = 6, .masks = argbMasks, .pixels = alphaPixels};
    QTest::newRow("32 bpp, alpha bit fields") << alphaFields.bytes() << alphaExpected;

    // No pixel has any alpha at all: the writer meant opaque.
    Bmp zeroAlpha{.headerSize = 108, .bitCount = 32, .compression = 3, .masks = argbMasks,
                  .pixels = rgbRow({W, K, Y}, 4, 0) + rgbRow({R, G, B}, 4, 0)};
    QTest::newRow("32 bpp, alpha channel all zero") << zeroAlpha.bytes() << kReference;

    Bmp rle8{.bitCount = 8, .compression = 1, .coloursUsed = 6, .palette = kPalette6,
             .pixels = bytesOf({0, 3, 3, 4, 5, 0, // literal run, padded
                                0, 0,             // end of row
                                1, 0, 1, 1, 1, 2, // three runs of one
                                0, 1})};          // end of picture
    QTest::newRow("RLE8") << rle8.bytes() << kReference;

    Bmp rle4{.bitCount = 4, .compression = 2, .coloursUsed = 6, .palette = kPalette6,
             .pixels = bytesOf({0, 3, 0x34, 0x50, 0, 0, 2, 0x01, 1, 0x20, 0, 1})};
    QTest::newRow("RLE4") << rle4.bytes() << kReference;

    // A delta and an early end leave pixels unpainted: they stay see-through.
    Bmp rleDelta{.bitCount = 8, .compression = 1, .coloursUsed = 6, .palette = kPalette6,
                 .pixels = bytesOf({1, 3, 0, 2, 1, 1, 1, 2, 0, 1})};
    QTest::newRow("RLE8 with delta") << rleDelta.bytes() << QList<QRgb>{T, T, B, W, T, T};

    // Covering every row without the end-of-picture mark is complete enough.
    Bmp rleNoEnd = rle8;
    rleNoEnd.pixels.chop(2);
    QTest::newRow("RLE8 without end mark") << rleNoEnd.bytes() << kReference;
}

void TestPictureLoader::bmpVariants()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QList<QRgb>, expected);

    const pictures::PictureResult result = pictures::decodePicture(bytes);
    QVERIFY2(result.ok(), qPrintable(result.error));
    QCOMPARE(result.picture.kind, PictureKind::Bmp);
    const QImage &image = result.picture.image;
    QCOMPARE(image.size(), QSize(3, 2));
    QCOMPARE(result.picture.extentTwips, QSizeF(45, 30));
    const bool seeThrough = std::any_of(expected.begin(), expected.end(),
                                        [](QRgb c) { return qAlpha(c) != 255; });
    QCOMPARE(image.format(), seeThrough ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    const QImage straight = image.convertToFormat(QImage::Format_ARGB32);
    for (int i = 0; i < 6; ++i) {
        const QRgb actual = straight.pixel(i % 3, i / 3);
        QVERIFY2(near(actual, expected[i], 2),
                 qPrintable(QStringLiteral("pixel %1: %2, expected %3").arg(i).arg(hex(actual), hex(expected[i]))));
    }
}

void TestPictureLoader::otherKinds_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<PictureKind>("kind");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<QRgb>("colour");
    QTest::addColumn<int>("tolerance");

    // Red left half, blue right half, 32 x 16.
    for (const char *name : {"jpeg-baseline.jpg", "jpeg-progressive.jpg", "jpeg-cmyk.jpg"}) {
        const QByteArray bytes = fixture(name);
        QTest::addRow("%s, left", name) << bytes << PictureKind::Jpeg << QSize(32, 16) << QPoint(2, 8) << R << 12;
        QTest::addRow("%s, right", name) << bytes << PictureKind::Jpeg << QSize(32, 16) << QPoint(29, 8) << B << 12;
    }
    QTest::newRow("greyscale JPEG") << fixture("jpeg-grey.jpg") << PictureKind::Jpeg << QSize(32, 16)
                                    << QPoint(29, 8) << K << 12;
    // The stored size, never turned by the EXIF orientation.
    QTest::newRow("JPEG with EXIF rotation") << withExifRotation(fixture("jpeg-baseline.jpg"))
                                             << PictureKind::Jpeg << QSize(32, 16) << QPoint(2, 8) << R << 12;

    const QByteArray transparentGif = fixture("gif-transparent.gif");
    QTest::newRow("GIF, transparent pixel") << transparentGif << PictureKind::Gif << QSize(20, 10)
                                            << QPoint(2, 5) << T << 0;
    QTest::newRow("GIF, opaque pixel") << transparentGif << PictureKind::Gif << QSize(20, 10)
                                       << QPoint(15, 5) << B << 0;
    QTest::newRow("animated GIF shows its first frame")
        << fixture("gif-animated.gif") << PictureKind::Gif << QSize(8, 8) << QPoint(4, 4) << G << 0;
    const QByteArray offsetGif = fixture("gif-offset-frame.gif");
    QTest::newRow("GIF frame smaller than its screen, inside")
        << offsetGif << PictureKind::Gif << QSize(20, 10) << QPoint(3, 3) << B << 0;
    QTest::newRow("GIF frame smaller than its screen, outside")
        << offsetGif << PictureKind::Gif << QSize(20, 10) << QPoint(15, 8) << T << 0;

    QTest::newRow("PNG") << png(referenceImage()) << PictureKind::Png << QSize(3, 2) << QPoint(2, 1) << Y << 0;
    QImage translucent = referenceImage(QImage::Format_ARGB32);
    translucent.setPixel(1, 1, qRgba(0, 0, 0, 0));
    QTest::newRow("PNG with alpha") << png(translucent) << PictureKind::Png << QSize(3, 2) << QPoint(1, 1) << T << 0;
}

void TestPictureLoader::otherKinds()
{
    QFETCH(QByteArray, bytes);
    QFETCH(PictureKind, kind);
    QFETCH(QSize, size);
    QFETCH(QPoint, at);
    QFETCH(QRgb, colour);
    QFETCH(int, tolerance);

    const pictures::PictureResult result = pictures::decodePicture(bytes);
    QVERIFY2(result.ok(), qPrintable(result.error));
    QCOMPARE(result.picture.kind, kind);
    QCOMPARE(result.picture.pixelSize(), size);
    QCOMPARE(result.picture.extentTwips, QSizeF(size) * 15);
    QVERIFY(result.picture.image.format() == QImage::Format_RGB32
            || result.picture.image.format() == QImage::Format_ARGB32_Premultiplied);
    const QRgb actual = result.picture.image.convertToFormat(QImage::Format_ARGB32).pixel(at);
    QVERIFY2(near(actual, colour, tolerance), qPrintable(hex(actual)));
}

void TestPictureLoader::refused_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message");

    const QString unsupported = QStringLiteral("対応している種類の画像ではありません。");
    const QString truncated = QStringLiteral("ファイルが途中で切れています。");
    const QString damaged = QStringLiteral("画像が壊れています。");
    const QString huge = QStringLiteral("画像が大きすぎます（60000 × 60000 ピクセル）。");

    QTest::newRow("empty") << QByteArray() << QStringLiteral("ファイルが空です。");
    QTest::newRow("text") << QByteArray("hello, world\n") << unsupported;
    QTest::newRow("text starting like a BMP") << QByteArray("BMW 320i, 1983, one owner, low mileage\n") << unsupported;

    const Bmp rgb24{.pixels = rgbRow({W, K, Y}) + rgbRow({R, G, B})};
    QTest::newRow("BMP, file header only") << rgb24.bytes().left(14) << truncated;
    Bmp bmp = rgb24;
    bmp.width = bmp.height = 60000;
    QTest::newRow("BMP claiming 60000 x 60000") << bmp.bytes() << huge;
    bmp = rgb24;
    bmp.width = 0;
    QTest::newRow("BMP of width 0") << bmp.bytes() << damaged;
    bmp = rgb24;
    bmp.height = INT32_MIN;
    QTest::newRow("BMP of height -2^31") << bmp.bytes() << damaged;
    bmp = rgb24;
    bmp.bitCount = 2;
    QTest::newRow("BMP of 2 bpp") << bmp.bytes() << unsupported;
    bmp = rgb24;
    bmp.compression = 4;
    QTest::newRow("BMP holding a JPEG") << bmp.bytes() << unsupported;
    bmp = rgb24;
    bmp.headerSize = 64;
    bmp.bitCount = 1;
    bmp.compression = 3;
    QTest::newRow("OS/2 BMP, Huffman coded") << bmp.bytes() << unsupported;
    bmp = rgb24;
    bmp.dataOffset = 1u << 30;
    QTest::newRow("BMP whose pixels start past its end") << bmp.bytes() << truncated;
    bmp = rgb24;
    bmp.bitCount = 8;
    bmp.palette = {R, G};
    bmp.coloursUsed = 200;
    bmp.dataOffset = 10000;
    QTest::newRow("BMP, palette cut short") << bmp.bytes() << truncated;
    Bmp rle{.bitCount = 8, .compression = 1, .coloursUsed = 2, .palette = {R, G},
            .pixels = bytesOf({3, 1, 0, 0})};
    QTest::newRow("RLE8 stopping after one row") << rle.bytes() << truncated;
    rle.pixels = bytesOf({0, 3, 1});
    QTest::newRow("RLE8 literal run past the end") << rle.bytes() << truncated;
    rle.pixels = bytesOf({0, 2, 1});
    QTest::newRow("RLE8 delta past the end") << rle.bytes() << truncated;

    const QByteArray jpeg = fixture("jpeg-baseline.jpg");
    QTest::newRow("JPEG, SOI only") << jpeg.left(3) << truncated;
    QTest::newRow("JPEG without its end marker") << jpeg.chopped(2) << truncated;
    QTest::newRow("JPEG claiming 60000 x 60000") << withJpegSize(jpeg, 60000, 60000) << huge;
    QTest::newRow("progressive JPEG claiming 60000 x 60000")
        << withJpegSize(fixture("jpeg-progressive.jpg"), 60000, 60000) << huge;
    QTest::newRow("JPEG claiming height 0") << withJpegSize(jpeg, 32, 0) << unsupported;
    QByteArray lossless = jpeg;
    lossless[lossless.indexOf("\xFF\xC0") + 1] = char(0xC3);
    QTest::newRow("lossless JPEG") << lossless << unsupported;
    QTest::newRow("JPEG ending before any scan")
        << jpeg.left(jpeg.indexOf("\xFF\xDA")) + QByteArray("\xFF\xD9") << damaged;

    QByteArray gif = fixture("gif-transparent.gif");
    gif[6] = gif[7] = gif[8] = gif[9] = char(0xff);
    QTest::newRow("GIF claiming 65535 x 65535")
        << gif << QStringLiteral("画像が大きすぎます（65535 × 65535 ピクセル）。");
    gif = fixture("gif-transparent.gif");
    QTest::newRow("GIF with a trailer and no frame") << gif.left(gif.indexOf('\x21')) + ';' << damaged;

    QByteArray pngBytes = png(referenceImage());
    pngBytes.replace(16, 8, bytesOf({0, 0, 0xea, 0x60, 0, 0, 0xea, 0x60}));
    QTest::newRow("PNG claiming 60000 x 60000") << pngBytes << huge;
    pngBytes = png(referenceImage());
    pngBytes.replace(pngBytes.indexOf("IDAT") + 8, 4, "oops");
    QTest::newRow("PNG with broken pixel data") << pngBytes << damaged;

    // Placeable WMF: bounds in units of which `inch` make an inch, shown at 96 dpi.
    const auto wmf = [](int right, int bottom, int inch) {
        return bytesOf({0xD7, 0xCD, 0xC6, 0x9A, 0, 0, 0, 0, 0, 0, right & 0xff, right >> 8,
                        bottom & 0xff, bottom >> 8, inch & 0xff, inch >> 8, 0, 0, 0, 0, 0, 0,
                        1, 0, 9, 0, 0, 3, 12, 0, 0, 0, 0, 0, 3, 0, 0, 0, 0, 0,
                        3, 0, 0, 0, 0, 0});
    };
    QTest::newRow("WMF of no width") << wmf(0, 500, 1) << damaged;
}

void TestPictureLoader::refused()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);

    const pictures::PictureResult result = pictures::decodePicture(bytes);
    QCOMPARE(result.error, message);
    QVERIFY(result.picture.isNull());
    QVERIFY(result.picture.image.isNull());
}

void TestPictureLoader::everyCutIsRefused_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("wholeFrom"); // the shortest prefix that is a whole picture

    const Bmp rgb24{.pixels = rgbRow({W, K, Y}) + rgbRow({R, G, B})};
    const QByteArray bmp = rgb24.bytes();
    QTest::newRow("BMP") << bmp << int(bmp.size()) - 3; // the last row's padding may go
    Bmp rle8{.bitCount = 8, .compression = 1, .coloursUsed = 6, .palette = kPalette6,
             .pixels = bytesOf({0, 3, 3, 4, 5, 0, 0, 0, 1, 0, 1, 1, 1, 2, 0, 1})};
    QTest::newRow("RLE8") << rle8.bytes() << int(rle8.bytes().size()) - 2;
    for (const char *name : {"jpeg-baseline.jpg", "jpeg-progressive.jpg"}) {
        const QByteArray bytes = fixture(name);
        QTest::newRow(name) << bytes << int(bytes.size());
    }
    const QByteArray gif = fixture("gif-transparent.gif");
    QTest::newRow("GIF") << gif << int(gif.size()) - 1; // the trailer may go
    const QByteArray pngBytes = png(referenceImage());
    QTest::newRow("PNG") << pngBytes << int(pngBytes.size());
}

// Qt's readers give a grey-filled or empty picture for many of these; the
// user must get a message instead.
void TestPictureLoader::everyCutIsRefused()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, wholeFrom);

    for (int length = 0; length < bytes.size(); ++length) {
        const pictures::PictureResult result = pictures::decodePicture(bytes.left(length));
        if (length < wholeFrom)
            QVERIFY2(!result.ok() && result.picture.isNull(),
                     qPrintable(QStringLiteral("a cut at %1 bytes was accepted").arg(length)));
        else
            QVERIFY2(result.ok(), qPrintable(QStringLiteral("%1 bytes: %2").arg(length).arg(result.error)));
    }
}

void TestPictureLoader::kindComesFromContentNotName_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<PictureKind>("kind");

    const Bmp rgb24{.pixels = rgbRow({W, K, Y}) + rgbRow({R, G, B})};
    QTest::newRow("PNG named .bmp") << png(referenceImage()) << "strip.bmp" << PictureKind::Png;
    QTest::newRow("BMP named .gif") << rgb24.bytes() << "strip.gif" << PictureKind::Bmp;
    QTest::newRow("JPEG named .wmf") << fixture("jpeg-grey.jpg") << "strip.wmf" << PictureKind::Jpeg;
    QTest::newRow("GIF without extension") << fixture("gif-animated.gif") << "strip" << PictureKind::Gif;
}

void TestPictureLoader::kindComesFromContentNotName()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, fileName);
    QFETCH(PictureKind, kind);

    QTemporaryDir dir;
    QFile file(dir.filePath(fileName));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    const pictures::PictureResult result = pictures::loadPicture(file.fileName());
    QVERIFY2(result.ok(), qPrintable(result.error));
    QCOMPARE(result.picture.kind, kind);
}

void TestPictureLoader::tallStripLoads_data()
{
    QTest::addColumn<QByteArray>("bytes");

    Bmp strip{.width = 50, .height = 65535};
    strip.pixels = QByteArray(152 * 65535, '\x40');
    QTest::newRow("BMP") << strip.bytes();
    QImage image(50, 65535, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    QTest::newRow("PNG") << png(image);
}

void TestPictureLoader::tallStripLoads()
{
    QFETCH(QByteArray, bytes);
    const pictures::PictureResult result = pictures::decodePicture(bytes);
    QVERIFY2(result.ok(), qPrintable(result.error));
    QCOMPARE(result.picture.pixelSize(), QSize(50, 65535));
}

void TestPictureLoader::emptyPathGivesNoPicture()
{
    const pictures::PictureResult result = pictures::loadPicture(QString());
    QVERIFY(result.ok());
    QVERIFY(result.picture.isNull());
    QVERIFY(result.picture.image.isNull());
}

void TestPictureLoader::fileSystemFailures_data()
{
    QTest::addColumn<QString>("path"); // empty: a file that cannot be read
    QTest::addColumn<QString>("message");
    QTest::newRow("missing file") << QStringLiteral("/nonexistent/strip.bmp")
                                  << QStringLiteral("ファイルが見つかりません。");
    QTest::newRow("folder") << QDir::tempPath() << QStringLiteral("ファイルではなくフォルダーです。");
    QTest::newRow("no permission") << QString() << QStringLiteral("ファイルを読む権限がありません。");
}

// The user is told in Japanese; the file system's own words stay in the detail.
void TestPictureLoader::fileSystemFailures()
{
    QFETCH(QString, path);
    QFETCH(QString, message);
    QTemporaryDir dir;
    if (path.isEmpty()) {
        path = dir.filePath("locked.bmp");
        QFile locked(path);
        QVERIFY(locked.open(QIODevice::WriteOnly));
        locked.write(Bmp{}.bytes());
        locked.close();
        QVERIFY(locked.setPermissions(QFileDevice::WriteOwner));
    }
    QFile file(path);
    if (file.open(QIODevice::ReadOnly))
        QSKIP("this user can read every file");
    const pictures::PictureResult result = pictures::loadPicture(path);
    QCOMPARE(result.error, message);
    QCOMPARE(result.detail, file.errorString());
    QVERIFY(result.picture.isNull());
}

// A sparse file: the loader must refuse it from its size, not read it.
void TestPictureLoader::hugeFileIsNotRead()
{
    QTemporaryDir dir;
    QFile file(dir.filePath("huge.bmp"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(Bmp{}.bytes());
    QVERIFY(file.resize(qint64(8) << 30));
    file.close();
    const pictures::PictureResult result = pictures::loadPicture(file.fileName());
    QCOMPARE(result.error, QStringLiteral("ファイルが大きすぎます。"));
    QCOMPARE(result.detail, QStringLiteral("8192 MB"));
}

QTEST_MAIN(TestPictureLoader)
// Each once crashed the program or held it for seconds to minutes. Now each is
// drawn within the work budget or refused before the costly step; what a
// refusal says is the user's.
void TestPictureLoader::hostilePicturesEndWithinTheirBudget_data()
{
    QTest::addColumn<QString>("file");
    const QStringList files = QDir(QStringLiteral(TT_FIXTURES_DIR "/hostile")).entryList({"*.emf", "*.wmf", "*.jpg"});
    QCOMPARE(files.size(), 8);
    for (const QString &file : files)
        QTest::newRow(qPrintable(file)) << file;
}

void TestPictureLoader::hostilePicturesEndWithinTheirBudget()
{
    QFETCH(QString, file);
    const pictures::PictureResult result = pictures::loadPicture(QStringLiteral(TT_FIXTURES_DIR "/hostile/") + file);
    if (file.endsWith(QLatin1String(".jpg")))
        QCOMPARE(result.error, QStringLiteral("画像の処理に時間がかかりすぎるため、表示できません。"));
    else
        QVERIFY2(result.ok() && !result.picture.isNull(), qPrintable(result.error));
}

// One too wide to raster whole is kept as a vector of its size, and its parts
// draw when asked: here a red square at its right end.
void TestPictureLoader::wideMetafileIsDrawnInParts()
{
    const pictures::PictureResult big = pictures::loadPicture(QStringLiteral(TT_FIXTURES_DIR "/metafiles/cases/wide_vector.emf"));
    QVERIFY2(big.ok(), qPrintable(big.error));
    QCOMPARE(big.picture.kind, PictureKind::Emf);
    QVERIFY(big.picture.image.isNull());
    QCOMPARE(big.picture.pixelSize(), QSize(40000, 100));
    QImage part(100, 100, QImage::Format_ARGB32_Premultiplied);
    part.fill(Qt::transparent);
    QPainter painter(&part);
    painter.translate(-39900, 0);
    pictures::drawPicture(&painter, big.picture, QRect(39900, 0, 100, 100));
    QCOMPARE(part.pixel(25, 50), 0u);
    QCOMPARE(part.pixel(75, 50), R);
}

#include "tst_picture_loader.moc"
