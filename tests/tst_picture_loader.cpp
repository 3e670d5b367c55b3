// The picture loader against files of every kind and variant we read, and
// against broken ones: cut short, empty, lying about their size. The small
// files are in fixtures/pictures (its README says how each was made).

#include "pictures/picture.h"

#include <QBuffer>
#include <QDir>
#include <QtEndian>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

using pictures::PictureKind;

namespace {

const QRgb R = qRgb(255, 0, 0), G = qRgb(0, 255, 0), B = qRgb(0, 0, 255);
const QRgb W = qRgb(255, 255, 255), K = qRgb(0, 0, 0), Y = qRgb(255, 255, 0);
const QRgb T = qRgba(0, 0, 0, 0); // transparent

// A colour by its letter; the lower-case y is yellow at half alpha.
QRgb colour(QChar letter)
{
    switch (letter.toLatin1()) {
    case 'R': return R;
    case 'G': return G;
    case 'B': return B;
    case 'W': return W;
    case 'K': return K;
    case 'Y': return Y;
    case 'y': return qRgba(255, 255, 0, 0x80);
    default: return T;
    }
}

QByteArray fixture(const QString &name)
{
    QFile file(QStringLiteral(TT_FIXTURES_DIR "/pictures/") + name);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing fixture %s", qPrintable(name));
    return file.readAll();
}

bool near(QRgb a, QRgb b, int tolerance)
{
    return qAbs(qRed(a) - qRed(b)) <= tolerance && qAbs(qGreen(a) - qGreen(b)) <= tolerance
           && qAbs(qBlue(a) - qBlue(b)) <= tolerance && qAbs(qAlpha(a) - qAlpha(b)) <= tolerance;
}

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
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("pixels"); // 3 x 2, the top row first
    const QString reference = QStringLiteral("RGBWKY");
    for (const char *variant : {"4-bpp", "8-bpp", "8-bpp-palette-length-from-the-data-offset",
                                "8-bpp-os-2-2-x-header", "4-bpp-os-2-1-x-core-header", "24-bpp",
                                "24-bpp-os-2-1-x-core-header", "24-bpp-top-down", "16-bpp-5-5-5",
                                "16-bpp-5-6-5-bit-fields", "32-bpp", "32-bpp-alpha-channel-all-zero",
                                "rle8", "rle4", "rle8-without-end-mark"})
        QTest::newRow(variant) << QStringLiteral("bmp-%1.bmp").arg(variant) << reference;
    QTest::newRow("1-bpp") << "bmp-1-bpp.bmp" << "WKWKWK";
    QTest::newRow("32-bpp-v5-header-with-alpha") << "bmp-32-bpp-v5-header-with-alpha.bmp" << "RGBWKy";
    QTest::newRow("32-bpp-alpha-bit-fields") << "bmp-32-bpp-alpha-bit-fields.bmp" << "RGBWKy";
    // A delta and an early end leave pixels unpainted: they stay see-through.
    QTest::newRow("rle8-with-delta") << "bmp-rle8-with-delta.bmp" << "TTBWTT";
    // A run longer than what is left of its row stops at the row's end.
    QTest::newRow("rle8-run-wider-than-its-row") << "bmp-rle8-run-wider-than-its-row.bmp" << "RRRWKY";
}

void TestPictureLoader::bmpVariants()
{
    QFETCH(QString, file);
    QFETCH(QString, pixels);
    const pictures::PictureResult result = pictures::decodePicture(fixture(file));
    QVERIFY2(result.ok(), qPrintable(result.error));
    QCOMPARE(result.picture.kind, PictureKind::Bmp);
    const QImage &image = result.picture.image;
    QCOMPARE(image.size(), QSize(3, 2));
    QCOMPARE(result.picture.extentTwips, QSizeF(45, 30));
    const bool seeThrough = pixels.contains(QLatin1Char('T')) || pixels.contains(QLatin1Char('y'));
    QCOMPARE(image.format(), seeThrough ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    const QImage straight = image.convertToFormat(QImage::Format_ARGB32);
    for (int i = 0; i < 6; ++i) {
        const QRgb actual = straight.pixel(i % 3, i / 3);
        QVERIFY2(near(actual, colour(pixels[i]), 2),
                 qPrintable(QStringLiteral("pixel %1: %2").arg(i).arg(actual, 8, 16, QLatin1Char('0'))));
    }
}

void TestPictureLoader::otherKinds_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<PictureKind>("kind");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<QRgb>("colour");
    QTest::addColumn<int>("tolerance");

    // Red left half, blue right half, 32 x 16.
    for (const char *name : {"jpeg-baseline.jpg", "jpeg-progressive.jpg", "jpeg-cmyk.jpg"}) {
        QTest::addRow("%s, left", name) << name << PictureKind::Jpeg << QSize(32, 16) << QPoint(2, 8) << R << 12;
        QTest::addRow("%s, right", name) << name << PictureKind::Jpeg << QSize(32, 16) << QPoint(29, 8) << B << 12;
    }
    QTest::newRow("greyscale JPEG") << "jpeg-grey.jpg" << PictureKind::Jpeg << QSize(32, 16) << QPoint(29, 8) << K << 12;
    // The stored size, never turned by the EXIF orientation.
    QTest::newRow("JPEG with EXIF rotation") << "jpeg-exif-rotated.jpg" << PictureKind::Jpeg << QSize(32, 16)
                                             << QPoint(2, 8) << R << 12;
    QTest::newRow("GIF, transparent pixel") << "gif-transparent.gif" << PictureKind::Gif << QSize(20, 10)
                                            << QPoint(2, 5) << T << 0;
    QTest::newRow("GIF, opaque pixel") << "gif-transparent.gif" << PictureKind::Gif << QSize(20, 10)
                                       << QPoint(15, 5) << B << 0;
    QTest::newRow("animated GIF shows its first frame") << "gif-animated.gif" << PictureKind::Gif << QSize(8, 8)
                                                        << QPoint(4, 4) << G << 0;
    QTest::newRow("GIF frame smaller than its screen, inside") << "gif-offset-frame.gif" << PictureKind::Gif
                                                               << QSize(20, 10) << QPoint(3, 3) << B << 0;
    QTest::newRow("GIF frame smaller than its screen, outside") << "gif-offset-frame.gif" << PictureKind::Gif
                                                                << QSize(20, 10) << QPoint(15, 8) << T << 0;
    QTest::newRow("PNG") << "png.png" << PictureKind::Png << QSize(3, 2) << QPoint(2, 1) << Y << 0;
    QTest::newRow("PNG with alpha") << "png-alpha.png" << PictureKind::Png << QSize(3, 2) << QPoint(1, 1) << T << 0;
}

void TestPictureLoader::otherKinds()
{
    QFETCH(QString, file);
    QFETCH(PictureKind, kind);
    QFETCH(QSize, size);
    QFETCH(QPoint, at);
    QFETCH(QRgb, colour);
    QFETCH(int, tolerance);
    const pictures::PictureResult result = pictures::decodePicture(fixture(file));
    QVERIFY2(result.ok(), qPrintable(result.error));
    QCOMPARE(result.picture.kind, kind);
    QCOMPARE(result.picture.pixelSize(), size);
    QCOMPARE(result.picture.extentTwips, QSizeF(size) * 15);
    QVERIFY(result.picture.image.format() == QImage::Format_RGB32
            || result.picture.image.format() == QImage::Format_ARGB32_Premultiplied);
    const QRgb actual = result.picture.image.convertToFormat(QImage::Format_ARGB32).pixel(at);
    QVERIFY2(near(actual, colour, tolerance), qPrintable(QString::number(actual, 16)));
}

void TestPictureLoader::refused_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("message");
    const QString unsupported = QStringLiteral("対応している種類の画像ではありません。");
    const QString truncated = QStringLiteral("ファイルが途中で切れています。");
    const QString damaged = QStringLiteral("画像が壊れています。");
    const QString huge = QStringLiteral("画像が大きすぎます（60000 × 60000 ピクセル）。");
    const struct {
        const char *file;
        QString message;
    } cases[] = {
        {"empty.txt", QStringLiteral("ファイルが空です。")},
        {"text.txt", unsupported},
        {"text-starting-like-a-bmp.txt", unsupported},
        {"bmp-file-header-only.bmp", truncated},
        {"bmp-claiming-60000-x-60000.bmp", huge},
        {"bmp-of-width-0.bmp", damaged},
        {"bmp-of-height-2-31.bmp", damaged},
        {"bmp-of-2-bpp.bmp", unsupported},
        {"bmp-holding-a-jpeg.bmp", unsupported},
        {"os-2-bmp-huffman-coded.bmp", unsupported},
        {"bmp-whose-pixels-start-past-its-end.bmp", truncated},
        {"bmp-palette-cut-short.bmp", truncated},
        {"rle8-stopping-after-one-row.bmp", truncated},
        {"rle8-literal-run-past-the-end.bmp", truncated},
        {"rle8-delta-past-the-end.bmp", truncated},
        {"jpeg-soi-only.jpg", truncated},
        {"jpeg-without-its-end-marker.jpg", truncated},
        {"jpeg-claiming-60000-x-60000.jpg", huge},
        {"progressive-jpeg-claiming-60000-x-60000.jpg", huge},
        {"jpeg-claiming-height-0.jpg", unsupported},
        {"lossless-jpeg.jpg", unsupported},
        {"jpeg-ending-before-any-scan.jpg", damaged},
        {"gif-claiming-65535-x-65535.gif", QStringLiteral("画像が大きすぎます（65535 × 65535 ピクセル）。")},
        {"gif-with-a-trailer-and-no-frame.gif", damaged},
        {"png-claiming-60000-x-60000.png", huge},
        {"png-with-broken-pixel-data.png", damaged},
        {"wmf-of-no-width.wmf", damaged},
    };
    for (const auto &c : cases)
        QTest::newRow(c.file) << QStringLiteral("bad-") + QLatin1String(c.file) << c.message;
}

void TestPictureLoader::refused()
{
    QFETCH(QString, file);
    QFETCH(QString, message);
    const pictures::PictureResult result = pictures::decodePicture(fixture(file));
    QCOMPARE(result.error, message);
    QVERIFY(result.picture.isNull());
    QVERIFY(result.picture.image.isNull());
}

void TestPictureLoader::everyCutIsRefused_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("spare"); // bytes at the end a whole picture can do without
    QTest::newRow("BMP") << "bmp-24-bpp.bmp" << 3; // the last row's padding
    QTest::newRow("RLE8") << "bmp-rle8.bmp" << 2;  // the end-of-picture mark
    QTest::newRow("JPEG") << "jpeg-baseline.jpg" << 0;
    QTest::newRow("progressive JPEG") << "jpeg-progressive.jpg" << 0;
    QTest::newRow("GIF") << "gif-transparent.gif" << 1; // the trailer
    QTest::newRow("PNG") << "png.png" << 0;
}

// Qt's readers give a grey-filled or empty picture for many of these; the
// user must get a message instead.
void TestPictureLoader::everyCutIsRefused()
{
    QFETCH(QString, file);
    QFETCH(int, spare);
    const QByteArray bytes = fixture(file);
    for (int length = 0; length < bytes.size(); ++length) {
        const pictures::PictureResult result = pictures::decodePicture(bytes.left(length));
        if (length < bytes.size() - spare)
            QVERIFY2(!result.ok() && result.picture.isNull(),
                     qPrintable(QStringLiteral("a cut at %1 bytes was accepted").arg(length)));
        else
            QVERIFY2(result.ok(), qPrintable(QStringLiteral("%1 bytes: %2").arg(length).arg(result.error)));
    }
}

void TestPictureLoader::kindComesFromContentNotName_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<PictureKind>("kind");
    QTest::newRow("PNG named .bmp") << "png.png" << "strip.bmp" << PictureKind::Png;
    QTest::newRow("BMP named .gif") << "bmp-24-bpp.bmp" << "strip.gif" << PictureKind::Bmp;
    QTest::newRow("JPEG named .wmf") << "jpeg-grey.jpg" << "strip.wmf" << PictureKind::Jpeg;
    QTest::newRow("GIF without extension") << "gif-animated.gif" << "strip" << PictureKind::Gif;
}

void TestPictureLoader::kindComesFromContentNotName()
{
    QFETCH(QString, file);
    QFETCH(QString, fileName);
    QFETCH(PictureKind, kind);
    QTemporaryDir dir;
    QFile copy(dir.filePath(fileName));
    QVERIFY(copy.open(QIODevice::WriteOnly));
    copy.write(fixture(file));
    copy.close();
    const pictures::PictureResult result = pictures::loadPicture(copy.fileName());
    QVERIFY2(result.ok(), qPrintable(result.error));
    QCOMPARE(result.picture.kind, kind);
}

void TestPictureLoader::tallStripLoads_data()
{
    QTest::addColumn<QByteArray>("bytes");
    // The 24-bit BMP's headers with its size and pixels made 50 x 65,535.
    QByteArray bmp = fixture("bmp-24-bpp.bmp").left(54);
    qToLittleEndian<qint32>(50, bmp.data() + 18);
    qToLittleEndian<qint32>(65535, bmp.data() + 22);
    QTest::newRow("BMP") << bmp + QByteArray(152 * 65535, '\x40');
    QImage image(50, 65535, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    QTest::newRow("PNG") << png;
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
        locked.write(fixture("bmp-24-bpp.bmp"));
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
    file.write(fixture("bmp-24-bpp.bmp"));
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
