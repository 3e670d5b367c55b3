// Metafile pictures: header sizes, refusals, shapes, mapping, transforms and clipping.

#include "pictures/metafile/metafile.h"
#include "pictures/picture.h"
#include "tst_metafile_probe.h"
#include "tst_metafile_writer.h"

#include <QPainter>
#include <QRegularExpression>
#include <QtTest>

using namespace pictures::metafile;
using namespace mftest;

namespace {

constexpr QRgb kRed = 0xFFFF0000, kBlue = 0xFF0000FF;

} // namespace

static void mappingRows();
static void clipRows();

class TestMetafile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void detectsKinds_data();
    void detectsKinds();
    void sizeFromHeader_data();
    void sizeFromHeader();
    void refusesUnusableFiles_data();
    void refusesUnusableFiles();
    void drawsShapes_data();
    void drawsShapes();
    void hatchShowsBackground();
    void loaderMapsMetafiles();
};

void TestMetafile::detectsKinds_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("format");
    QTest::newRow("emf") << redCanvas().finish() << int(Format::Emf);
    QTest::newRow("placeable wmf") << redWmf().finish() << int(Format::Wmf);
    WmfWriter plain(false, {}, 0);
    plain.windowExt(10, 10);
    QTest::newRow("plain wmf") << plain.finish() << int(Format::Wmf);
    QTest::newRow("three bytes") << QByteArray("\x01\x00\x00", 3) << int(Format::None);
    QTest::newRow("gif") << QByteArray("GIF89a\x01\x00\x01\x00\x00\x00\x00;") << int(Format::None);
    QTest::newRow("emf type without signature") << QByteArray(88, '\0').replace(0, 1, "\x01")
                                                 << int(Format::None);
}

void TestMetafile::detectsKinds()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, format);
    QCOMPARE(int(detect(bytes)), format);
}

void TestMetafile::sizeFromHeader_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QSize>("pixels");
    QTest::addColumn<QSizeF>("twips");

    QTest::newRow("emf frame at origin") << EmfWriter(EmfWriter::pixelFrame(100, 50)).finish()
                                         << QSize(100, 50) << QSizeF(1499.5, 749.3);
    QTest::newRow("emf frame off origin")
        << EmfWriter(QRect(QPoint(1000, 500), QPoint(3540, 1770))).finish() << QSize(96, 48)
        << QSizeF(1440, 720);
    QTest::newRow("emf empty frame falls back to bounds")
        << EmfWriter(QRect(QPoint(0, 0), QPoint(0, 0)), 4, QRect(QPoint(0, 0), QPoint(199, 99))).finish()
        << QSize(200, 100) << QSizeF(3000, 1500);

    QTest::newRow("placeable twips") << WmfWriter(true, QRect(QPoint(0, 0), QPoint(1440, 720)), 1440).finish()
                                     << QSize(96, 48) << QSizeF(1440, 720);
    QTest::newRow("placeable 96 upi off origin")
        << WmfWriter(true, QRect(QPoint(10, 20), QPoint(110, 70)), 96).finish() << QSize(100, 50)
        << QSizeF(1500, 750);
    QTest::newRow("placeable reversed box")
        << WmfWriter(true, QRect(QPoint(100, 100), QPoint(0, 50)), 96).finish() << QSize(100, 50)
        << QSizeF(1500, 750);

    WmfWriter plain(false, {}, 0);
    plain.windowOrg(5, 5);
    plain.windowExt(120, 80);
    QTest::newRow("plain wmf window extent") << plain.finish() << QSize(120, 80) << QSizeF(1800, 1200);
    WmfWriter flipped(false, {}, 0);
    flipped.windowExt(120, -80);
    QTest::newRow("plain wmf flipped extent") << flipped.finish() << QSize(120, 80) << QSizeF(1800, 1200);
}

void TestMetafile::sizeFromHeader()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QSize, pixels);
    QFETCH(QSizeF, twips);
    const Rendered r = render(bytes, pictures::kMaxPicturePixels);
    QVERIFY2(r.error.isEmpty(), qPrintable(r.error));
    QCOMPARE(r.image.size(), pixels);
    QVERIFY2(qAbs(r.extentTwips.width() - twips.width()) < 1.5
                 && qAbs(r.extentTwips.height() - twips.height()) < 1.5,
             qPrintable(QStringLiteral("%1 x %2").arg(r.extentTwips.width()).arg(r.extentTwips.height())));
    QSize headerPixels;
    QSizeF headerTwips;
    QString error;
    QVERIFY(pictureSize(bytes, &headerPixels, &headerTwips, &error));
    QCOMPARE(headerPixels, pixels);
}

void TestMetafile::refusesUnusableFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qint64>("maxPixels");
    QTest::addColumn<QString>("message");
    const qint64 limit = pictures::kMaxPicturePixels;

    QTest::newRow("empty") << QByteArray() << limit << "not a Windows metafile";
    QTest::newRow("emf header cut short") << redCanvas().finish().left(60) << limit << "cut short";
    QByteArray badSize = redCanvas().finish();
    qToLittleEndian<quint32>(100000, badSize.data() + 4);
    QTest::newRow("emf header size past the end") << badSize << limit << "damaged";
    QTest::newRow("emf without frame or bounds")
        << EmfWriter(QRect(QPoint(0, 0), QPoint(0, 0)), 4, QRect(QPoint(5, 5), QPoint(5, 5))).finish()
        << limit << "no size";
    QTest::newRow("emf absurd frame")
        << EmfWriter(QRect(QPoint(-2000000000, 0), QPoint(2000000000, 100))).finish() << limit
        << "impossible size";
    QTest::newRow("placeable zero units per inch")
        << WmfWriter(true, QRect(QPoint(0, 0), QPoint(100, 100)), 0).finish() << limit << "no size";
    QTest::newRow("placeable header cut short") << redWmf().finish().left(30) << limit
                                                << "not a Windows metafile";
    WmfWriter noExtent(false, {}, 0);
    noExtent.rectangle(0, 0, 10, 10);
    QTest::newRow("plain wmf without window extent") << noExtent.finish() << limit << "size is unknown";
    QTest::newRow("more pixels than allowed") << EmfWriter(EmfWriter::pixelFrame(300, 300)).finish()
                                              << qint64(250 * 250) << "larger than";
    QTest::newRow("side beyond the rasteriser") << EmfWriter(EmfWriter::pixelFrame(40000, 2)).finish()
                                                << limit << "larger than";
}

void TestMetafile::refusesUnusableFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(qint64, maxPixels);
    QFETCH(QString, message);
    const Rendered r = render(bytes, maxPixels);
    QVERIFY2(r.error.contains(message), qPrintable(r.error));
    QVERIFY(r.image.isNull());
}

void TestMetafile::drawsShapes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("probes");

    {
        EmfWriter w = redCanvas();
        w.createPen(2, 0, 1, kBlue);
        w.select(2);
        w.rectangle(20, 20, 80, 80);
        QTest::newRow("emf rectangle with outline")
            << w.finish() << at({"50,50=#ffff0000", "20,50=#ff0000ff", "50,20=#ff0000ff", "10,50=#00000000",
                                  "79,50=#ff0000ff", "80,50=#00000000", "50,79=#ff0000ff", "50,80=#00000000"});
    }
    {
        EmfWriter w = redCanvas();
        w.ellipse(0, 0, 100, 100);
        QTest::newRow("emf ellipse") << w.finish() << at({"50,50=#ffff0000", "4,4=#00000000", "96,96=#00000000", "50,3=#ffff0000"});
    }
    {
        EmfWriter w = redCanvas();
        w.polygon16({{10, 90}, {50, 10}, {90, 90}});
        Bytes b;
        b.rectL(0, 0, 0, 0).u32(3).i32(0).i32(0).i32(20).i32(0).i32(0).i32(20);
        w.record(3, b); // the same with 32-bit points
        QTest::newRow("emf polygon16 and polygon") << w.finish() << at({"50,60=#ffff0000", "4,4=#ffff0000", "15,15=#00000000", "85,15=#00000000"});
    }
    {
        EmfWriter w = redCanvas();
        w.polyPolygon16({{{10, 10}, {90, 10}, {90, 90}, {10, 90}}, {{30, 30}, {70, 30}, {70, 70}, {30, 70}}});
        QTest::newRow("emf polypolygon alternate leaves a hole")
            << w.finish() << at({"20,20=#ffff0000", "50,50=#00000000"});
    }
    {
        EmfWriter w = redCanvas();
        w.u32Record(19, 2); // winding
        w.polyPolygon16({{{10, 10}, {90, 10}, {90, 90}, {10, 90}}, {{30, 30}, {70, 30}, {70, 70}, {30, 70}}});
        QTest::newRow("emf polypolygon winding fills") << w.finish() << at({"20,20=#ffff0000", "50,50=#ffff0000"});
    }
    {
        EmfWriter w = redCanvas();
        w.record(47, Bytes().rectL(0, 0, 100, 100).i32(100).i32(50).i32(50).i32(0));
        QTest::newRow("emf pie counter-clockwise")
            << w.finish() << at({"70,30=#ffff0000", "30,70=#00000000", "30,30=#00000000", "70,70=#00000000"});
    }
    {
        EmfWriter w = redCanvas();
        w.u32Record(57, 2); // clockwise
        w.record(47, Bytes().rectL(0, 0, 100, 100).i32(100).i32(50).i32(50).i32(0));
        QTest::newRow("emf pie clockwise") << w.finish() << at({"70,30=#00000000", "30,70=#ffff0000", "30,30=#ffff0000"});
    }
    {
        EmfWriter w = redCanvas();
        w.record(46, Bytes().rectL(0, 0, 100, 100).i32(100).i32(50).i32(0).i32(50));
        QTest::newRow("emf chord") << w.finish() << at({"50,30=#ffff0000", "50,70=#00000000"});
    }
    {
        EmfWriter w = redCanvas();
        w.record(44, Bytes().rectL(10, 10, 90, 90).i32(40).i32(40));
        QTest::newRow("emf round rectangle") << w.finish() << at({"50,50=#ffff0000", "12,12=#00000000", "50,12=#ffff0000"});
    }
    {
        EmfWriter w(EmfWriter::pixelFrame(100, 100));
        w.createPen(1, 0x00010000 | 0x0200, 10, 0xFF000000); // geometric, flat ends
        w.select(1);
        w.polygon16({{10, 50}, {90, 50}}, 87);
        QTest::newRow("emf wide polyline") << w.finish() << at({"50,50=#ff000000", "50,53=#ff000000", "50,60=#00000000", "5,50=#00000000"});
    }
    {
        EmfWriter w(EmfWriter::pixelFrame(100, 100));
        w.createPen(1, 0, 0, kRed);
        w.select(1);
        w.u32Record(17, 8);
        w.pointRecord(9, 400, 400);
        w.pointRecord(11, 100, 100);
        w.pointRecord(27, 40, 79); // 19.75 pixels down: a thin line takes the nearest row
        w.pointRecord(54, 360, 79);
        w.pointRecord(54, 360, 320);
        QTest::newRow("emf move and line") << w.finish() << at({"50,20=#ffff0000", "50,19=#00000000", "90,50=#ffff0000", "50,25=#00000000", "50,50=#00000000"});
    }
    {
        EmfWriter w(EmfWriter::pixelFrame(100, 100));
        w.createPen(1, 0x00010000, 4, kRed);
        w.select(1);
        w.polygon16({{10, 50}, {10, 10}, {90, 10}, {90, 50}}, 85);
        QTest::newRow("emf bezier") << w.finish() << at({"50,20=#ffff0000", "50,12=#00000000", "50,40=#00000000"});
    }
    {
        EmfWriter w = redCanvas();
        w.record(59);
        w.polygon16({{20, 20}, {80, 20}, {80, 80}, {20, 80}});
        w.record(60);
        w.record(62, Bytes().rectL(0, 0, 0, 0));
        QTest::newRow("emf fill path") << w.finish() << at({"50,50=#ffff0000", "10,10=#00000000"});
    }
    {
        EmfWriter w = redCanvas();
        w.record(59);
        w.pointRecord(27, 20, 20);
        w.pointRecord(54, 80, 20);
        w.pointRecord(54, 50, 80);
        w.record(61); // close figure
        w.record(60);
        w.record(64, Bytes().rectL(0, 0, 0, 0)); // stroke only: the inside stays clear
        w.record(62, Bytes().rectL(0, 0, 0, 0)); // the path is gone after stroking
        QTest::newRow("emf stroke path consumes it") << w.finish() << at({"50,40=#00000000"});
    }
    {
        EmfWriter w = redCanvas();
        w.u32Record(20, 11); // R2_NOP
        w.rectangle(0, 0, 100, 100);
        QTest::newRow("emf rop2 nop draws nothing") << w.finish() << at({"50,50=#00000000"});
    }
    {
        EmfWriter w(EmfWriter::pixelFrame(100, 100));
        w.select(0x80000004); // black brush
        w.select(0x80000008); // null pen
        w.rectangle(0, 0, 50, 50);
        QTest::newRow("emf stock objects") << w.finish() << at({"25,25=#ff000000", "75,75=#00000000"});
    }
    {
        EmfWriter w(EmfWriter::pixelFrame(100, 100));
        Bytes b;
        b.rectL(0, 0, 100, 100).u32(2).u32(1).u32(0);
        b.i32(0).i32(0).u16(0xFF00).u16(0).u16(0).u16(0);
        b.i32(100).i32(100).u16(0).u16(0).u16(0xFF00).u16(0);
        b.u32(0).u32(1);
        w.record(118, b);
        QTest::newRow("emf gradient fill") << w.finish() << at({"2,50~#ff0000", "97,50~#0000ff", "50,50~#800080"});
    }
    {
        WmfWriter w = redWmf();
        w.rectangle(10, 10, 60, 60);
        QTest::newRow("wmf rectangle") << w.finish() << at({"30,30=#ffff0000", "58,58=#ffff0000", "59,30=#00000000", "80,80=#00000000"});
    }
    {
        WmfWriter w = redWmf();
        w.polygon({{10, 90}, {50, 10}, {90, 90}});
        QTest::newRow("wmf polygon") << w.finish() << at({"50,60=#ffff0000", "15,15=#00000000"});
    }
    {
        WmfWriter w = redWmf();
        w.windowOrg(1000, 3000);
        w.windowExt(2000, -2000);
        w.rectangle(1000, 1000, 3000, 2000);
        QTest::newRow("wmf flipped window maps onto the picture") << w.finish() << at({"50,75=#ffff0000", "50,25=#00000000"});
    }
    {
        WmfWriter w = redWmf();
        w.record(0x020E, Bytes().i16(200).i16(200)); // the file's viewport: 200 units across
        w.record(0x0211, Bytes().i16(0).i16(100));   // moved by half of it (y first)
        w.rectangle(0, 0, 50, 50);
        QTest::newRow("wmf viewport origin moves the drawing") << w.finish() << at({"75,25=#ffff0000", "25,25=#00000000"});
    }
    {
        WmfWriter w = redWmf();
        w.createBrush(0, kBlue);   // slot 2
        w.deleteObject(1);         // frees the red brush's slot
        w.createBrush(0, 0xFF00FF00); // takes slot 1
        w.select(1);
        w.rectangle(0, 0, 100, 100);
        QTest::newRow("wmf new object takes the lowest free slot") << w.finish() << at({"50,50=#ff00ff00"});
    }
    {
        WmfWriter w = redWmf();
        w.record(0x0419 + 0, Bytes().u32(0).i16(0).i16(0)); // flood fill: not played
        w.record(0x0626, Bytes().u16(15).u16(4).u32(0));     // escape: skipped
        w.rectangle(0, 0, 50, 50);
        QTest::newRow("wmf skips records it does not play") << w.finish() << at({"25,25=#ffff0000"});
    }
    mappingRows();
    clipRows();
}

void TestMetafile::drawsShapes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, probes);
    // TT_WRITE_METAFILE_FIXTURES=1 also refreshes the fuzz seeds from these cases.
    if (qEnvironmentVariableIsSet("TT_WRITE_METAFILE_FIXTURES")) {
        QString name = QString::fromLatin1(QTest::currentDataTag());
        name.replace(QRegularExpression(QStringLiteral("[^a-z0-9]+")), QStringLiteral("_"));
        QFile seed(QStringLiteral(TT_FIXTURES_DIR "/../../fuzz/corpus/fuzz_metafile/") + name);
        if (seed.open(QIODevice::WriteOnly))
            seed.write(bytes);
    }
    const Rendered r = render(bytes, pictures::kMaxPicturePixels);
    QVERIFY2(r.error.isEmpty(), qPrintable(r.error));
    QVERIFY2(r.warning.isEmpty(), qPrintable(r.warning));
    const QString wrong = probeMismatches(r.image, probes);
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
}

// Rows of drawsShapes: mapping modes, origins and world transforms.
static void mappingRows()
{
    auto xform = [](float m11, float m12, float m21, float m22, float dx, float dy) {
        return Bytes().f32(m11).f32(m12).f32(m21).f32(m22).f32(dx).f32(dy);
    };
    {
        EmfWriter w = redCanvas();
        w.u32Record(17, 8);
        w.pointRecord(9, 1000, 1000);
        w.pointRecord(11, 100, 100);
        w.rectangle(500, 0, 1000, 1000);
        QTest::newRow("anisotropic") << w.finish() << at({"75,50=#ffff0000", "25,50=#00000000"});
    }
    {
        EmfWriter w = redCanvas();
        w.u32Record(17, 7);
        w.pointRecord(9, 1000, 500);
        w.pointRecord(11, 100, 100);
        w.rectangle(0, 0, 1000, 500);
        QTest::newRow("isotropic keeps the aspect") << w.finish() << at({"50,25=#ffff0000", "50,75=#00000000"});
    }
    {
        EmfWriter w = redCanvas();
        w.u32Record(17, 8);
        w.pointRecord(9, 100, 100);
        w.pointRecord(11, 100, 100);
        w.record(31, Bytes().i32(1).i32(2).i32(1).i32(2));
        w.rectangle(0, 0, 100, 100);
        QTest::newRow("scaled viewport extent") << w.finish() << at({"25,25=#ffff0000", "75,75=#00000000"});
    }
    {
        EmfWriter w = redCanvas();
        w.pointRecord(10, 50, 50);
        w.rectangle(50, 50, 100, 100);
        QTest::newRow("window origin") << w.finish() << at({"25,25=#ffff0000", "75,75=#00000000"});
    }
    {
        EmfWriter w = redCanvas();
        w.pointRecord(12, 50, 0);
        w.rectangle(0, 0, 50, 50);
        QTest::newRow("viewport origin") << w.finish() << at({"75,25=#ffff0000", "25,25=#00000000"});
    }
    {
        EmfWriter w = redCanvas();
        w.rectangle(0, 0, 50, 50);
        QByteArray b = w.finish(); // the device's millimetres place the frame, not its micrometres
        b.replace(100, 8, QByteArray("s\0i\0g\0n\0", 8));
        QTest::newRow("device size in millimetres") << b << at({"25,25=#ffff0000", "75,75=#00000000"});
    }
    {
        EmfWriter w = redCanvas();
        w.u32Record(17, 2); // 0.1 mm, y up
        w.rectangle(0, 0, 132, -132);
        QTest::newRow("lometric") << w.finish() << at({"25,25=#ffff0000", "75,75=#00000000"});
    }
    {
        EmfWriter w = redCanvas();
        w.record(35, xform(2, 0, 0, 2, 0, 0));
        w.rectangle(0, 0, 25, 25);
        QTest::newRow("world scale") << w.finish() << at({"40,40=#ffff0000", "60,60=#00000000"});
    }
    {
        EmfWriter w = redCanvas();
        w.record(35, xform(0, 1, -1, 0, 100, 0));
        w.rectangle(10, 10, 40, 20);
        QTest::newRow("world rotation") << w.finish() << at({"85,25=#ffff0000", "25,15=#00000000"});
    }
    {
        EmfWriter w = redCanvas();
        w.record(35, xform(1, 0, 0, 1, 50, 0));
        w.record(36, xform(0.5f, 0, 0, 0.5f, 0, 0).u32(2)); // left multiply: scale first
        w.rectangle(0, 0, 100, 100);
        QTest::newRow("modify left multiply") << w.finish() << at({"75,25=#ffff0000", "25,25=#00000000", "75,75=#00000000"});
    }
    {
        EmfWriter w = redCanvas();
        w.record(35, xform(1, 0, 0, 1, 50, 0));
        w.record(36, xform(0.5f, 0, 0, 0.5f, 0, 0).u32(3)); // right multiply: translate first
        w.rectangle(0, 0, 100, 100);
        QTest::newRow("modify right multiply") << w.finish() << at({"50,25=#ffff0000", "10,25=#00000000", "80,25=#00000000", "50,60=#00000000"});
    }
    {
        EmfWriter w = redCanvas();
        w.record(33);
        w.record(35, xform(0.5f, 0, 0, 0.5f, 0, 0));
        w.u32Record(34, quint32(-1));
        w.rectangle(60, 60, 90, 90);
        QTest::newRow("restore brings the transform back") << w.finish() << at({"75,75=#ffff0000", "35,35=#00000000"});
    }
}

// Rows of drawsShapes: clipping.
static void clipRows()
{
    auto region = [](QList<QRect> rects) {
        Bytes b;
        b.u32(32).u32(1).u32(quint32(rects.size())).u32(quint32(rects.size() * 16)).rectL(0, 0, 100, 100);
        for (QRect r : rects)
            b.rectL(r.left(), r.top(), r.right() + 1, r.bottom() + 1);
        return b;
    };
    auto selectRegion = [&](EmfWriter &w, QList<QRect> rects, quint32 mode) {
        const Bytes data = region(rects);
        w.record(75, Bytes().u32(quint32(data.size())).u32(mode).raw(data.data()));
    };
    {
        EmfWriter w = redCanvas();
        w.rectRecord(30, 0, 0, 50, 100);
        w.rectangle(0, 0, 100, 100);
        QTest::newRow("intersect") << w.finish() << at({"25,50=#ffff0000", "75,50=#00000000"});
    }
    {
        EmfWriter w = redCanvas();
        w.rectRecord(29, 25, 25, 75, 75);
        w.rectangle(0, 0, 100, 100);
        QTest::newRow("exclude") << w.finish() << at({"10,10=#ffff0000", "50,50=#00000000"});
    }
    {
        EmfWriter w = redCanvas();
        selectRegion(w, {QRect(0, 0, 50, 50), QRect(50, 50, 50, 50)}, 5);
        w.rectangle(0, 0, 100, 100);
        QTest::newRow("region copy") << w.finish() << at({"25,25=#ffff0000", "75,25=#00000000", "75,75=#ffff0000"});
    }
    {
        EmfWriter w = redCanvas();
        w.rectRecord(30, 0, 0, 50, 50);
        selectRegion(w, {QRect(50, 50, 50, 50)}, 2);
        w.rectangle(0, 0, 100, 100);
        QTest::newRow("region or") << w.finish() << at({"25,25=#ffff0000", "75,75=#ffff0000", "75,25=#00000000"});
    }
    {
        EmfWriter w = redCanvas();
        w.rectRecord(30, 0, 0, 50, 50);
        w.record(75, Bytes().u32(0).u32(5)); // copy without a region: no clip
        w.rectangle(0, 0, 100, 100);
        QTest::newRow("region reset") << w.finish() << at({"75,75=#ffff0000"});
    }
    {
        EmfWriter w = redCanvas();
        w.record(59);
        w.ellipse(0, 0, 100, 100);
        w.record(60);
        w.u32Record(67, 5);
        w.rectangle(0, 0, 100, 100);
        QTest::newRow("clip path") << w.finish() << at({"50,50=#ffff0000", "3,3=#00000000"});
    }
    {
        EmfWriter w = redCanvas();
        w.record(33);
        w.rectRecord(30, 0, 0, 10, 10);
        w.u32Record(34, quint32(-1));
        w.rectangle(0, 0, 100, 100);
        QTest::newRow("restore drops the clip") << w.finish() << at({"50,50=#ffff0000"});
    }
    {
        EmfWriter w = redCanvas();
        w.rectRecord(30, 0, 0, 50, 100);
        w.record(28); // meta region: the clip so far
        w.rectRecord(30, 0, 0, 100, 50);
        w.rectangle(0, 0, 100, 100);
        w.record(75, Bytes().u32(0).u32(5));
        w.createBrush(2, 0, kBlue);
        w.select(2);
        w.rectangle(0, 0, 100, 100);
        QTest::newRow("meta region stays under later clips")
            << w.finish() << at({"25,25=#ff0000ff", "25,75=#ff0000ff", "75,25=#00000000", "75,75=#00000000"});
    }
    {
        EmfWriter w = redCanvas();
        w.rectRecord(30, 0, 0, 50, 50);
        w.pointRecord(26, 50, 50);
        w.rectangle(0, 0, 100, 100);
        QTest::newRow("offset clip") << w.finish() << at({"75,75=#ffff0000", "25,25=#00000000"});
    }
    {
        EmfWriter w = redCanvas();
        w.record(35, Bytes().f32(1).f32(0).f32(0).f32(1).f32(50).f32(0));
        w.rectRecord(30, 0, 0, 25, 100); // logical: lands at 50..75
        w.record(35, Bytes().f32(1).f32(0).f32(0).f32(1).f32(0).f32(0));
        w.rectangle(0, 0, 100, 100);
        QTest::newRow("clip set under a transform stays put")
            << w.finish() << at({"60,50=#ffff0000", "25,50=#00000000", "90,50=#00000000"});
    }
    {
        WmfWriter w = redWmf();
        w.record(0x0416, Bytes().i16(100).i16(50).i16(0).i16(0));
        w.rectangle(0, 0, 100, 100);
        QTest::newRow("wmf intersect") << w.finish() << at({"25,50=#ffff0000", "75,50=#00000000"});
    }
    {
        WmfWriter w = redWmf();
        Bytes region;
        region.u16(0).i16(6).i32(0).i16(0).i16(1).i16(2).i16(0).i16(0).i16(50).i16(50);
        region.u16(2).i16(0).i16(50).i16(0).i16(50).u16(2);
        w.record(0x06FF, region); // slot 2
        w.record(0x012C, Bytes().u16(2));
        w.rectangle(0, 0, 100, 100);
        QTest::newRow("wmf clip region") << w.finish() << at({"25,25=#ffff0000", "75,75=#00000000"});
    }
}

void TestMetafile::hatchShowsBackground()
{
    // A hatched brush in opaque mode paints its lines in the brush colour
    // and the gaps in the background colour; transparent mode leaves gaps clear.
    for (int mode : {2, 1}) {
        EmfWriter w(EmfWriter::pixelFrame(40, 40));
        w.nullPen();
        w.createBrush(1, 2, kRed, 0); // horizontal hatch
        w.select(1);
        w.u32Record(25, colorRef(kBlue));
        w.u32Record(18, quint32(mode));
        w.rectangle(0, 0, 40, 40);
        const Rendered r = render(w.finish(), pictures::kMaxPicturePixels);
        QSet<QRgb> colours;
        for (int y = 0; y < 39; ++y) // without a pen the last row stays clear
            colours.insert(r.image.pixel(20, y));
        QVERIFY(colours.contains(kRed));
        QCOMPARE(colours.contains(kBlue), mode == 2);
        QCOMPARE(colours.contains(0u), mode == 1);
    }
}

void TestMetafile::loaderMapsMetafiles()
{
    // Through the picture loader metafiles come back as pictures of their kind.
    EmfWriter w = redCanvas();
    w.rectangle(0, 0, 100, 100);
    const pictures::PictureResult emf = pictures::decodePicture(w.finish(), QStringLiteral("a.emf"));
    if (!emf.ok() || emf.picture.kind != pictures::PictureKind::Emf)
        QSKIP("the picture loader does not hand metafiles to the player yet");
    QCOMPARE(emf.picture.pixelSize(), QSize(100, 100));

    // One too wide to raster is kept as a vector of its size; its parts draw when asked.
    EmfWriter wide = redCanvas();
    wide.rectangle(39950, 0, 40000, 100);
    const pictures::PictureResult big = pictures::decodePicture(wide.finish().replace(32, 4, Bytes().i32(1058333).data()));
    QCOMPARE(big.picture.pixelSize(), QSize(40000, 100));
    QImage part(100, 100, QImage::Format_ARGB32_Premultiplied);
    part.fill(Qt::transparent);
    QPainter painter(&part);
    painter.translate(-39900, 0);
    pictures::drawPicture(&painter, big.picture, QRect(39900, 0, 100, 100));
    QVERIFY(part.pixel(25, 50) == 0 && part.pixel(75, 50) == kRed);
}

QTEST_MAIN(TestMetafile)
#include "tst_metafile.moc"
