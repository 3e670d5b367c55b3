// Metafile pictures: damaged and hostile files, and the committed fixtures.
//
// Every case must finish with a readable outcome: either a refusal with a
// message, or a picture that keeps whatever was drawn before the damage.

#include "pictures/metafile/metafile.h"
#include "pictures/picture.h"
#include "tst_metafile_probe.h"
#include "tst_metafile_samples.h"
#include "tst_metafile_writer.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QtTest>

#include <limits>

using namespace pictures::metafile;
using namespace mftest;

namespace {

constexpr QRgb kRed = 0xFFFF0000, kBlue = 0xFF0000FF;

QByteArray rawEmfRecord(quint32 type, quint32 size, const QByteArray &tail = {})
{
    return Bytes().u32(type).u32(size).raw(tail).data();
}

const float kNaN = std::numeric_limits<float>::quiet_NaN();

} // namespace

class TestMetafileDamage : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void survivesDamage_data();
    void survivesDamage();
    void survivesMutations_data();
    void survivesMutations();
    void fixtures_data();
    void fixtures();
};

void TestMetafileDamage::survivesDamage_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("probes");
    QTest::addColumn<bool>("warns");

    {
        EmfWriter w = redCanvas();
        w.rectangle(0, 0, 50, 50);
        w.rawRecord(rawEmfRecord(43, 0x7FFFFFF0, Bytes().rectL(50, 50, 100, 100).data()));
        QTest::newRow("record larger than the file") << w.finish() << at({"25,25=#ffff0000", "75,75=#00000000"}) << true;
    }
    {
        EmfWriter w = redCanvas();
        w.rectangle(0, 0, 50, 50);
        w.rawRecord(rawEmfRecord(43, 4));
        QTest::newRow("record smaller than its own header") << w.finish() << at({"25,25=#ffff0000"}) << true;
    }
    {
        EmfWriter w = redCanvas();
        w.record(43, Bytes().i32(0));      // a rectangle with one of its four fields
        w.record(3, Bytes().rectL(0, 0, 0, 0).u32(0x40000000)); // a polygon of a billion points
        w.record(91, Bytes().rectL(0, 0, 0, 0).u32(0xFFFFFFFF).u32(3).u32(3)); // poly-polygon counts lie
        w.record(91, Bytes().rectL(0, 0, 0, 0).u32(2).u32(2).u32(2).u32(2).i16(0).i16(0).i16(9).i16(9));
        w.record(56, Bytes().rectL(0, 0, 0, 0).u32(3).i32(0).i32(0).i32(50).i32(50).i32(0).i32(50).u8(2).u8(99).u8(2));
        w.rectangle(50, 50, 100, 100);
        QTest::newRow("records shorter than their counts") << w.finish() << at({"75,75=#ffff0000", "25,25=#00000000"}) << false;
    }
    {
        EmfWriter w = redCanvas();
        w.select(5000);
        w.select(0x7FFFFFFF);
        w.select(0x80000063); // no such stock object
        w.createBrush(100000, 0, kBlue);
        w.createBrush(0xFFFFFFFF, 0, kBlue);
        w.deleteObject(0xFFFFFFFF);
        w.createBrush(2, 0, kBlue);
        w.deleteObject(2);
        w.select(2); // deleted
        w.rectangle(0, 0, 100, 100);
        QTest::newRow("object indices out of range or deleted") << w.finish() << at({"50,50=#ffff0000"}) << false;
    }
    {
        EmfWriter w = redCanvas();
        for (int i = 0; i < 5000; ++i)
            w.record(33);
        w.u32Record(34, quint32(-100000));
        w.u32Record(34, 0);
        w.u32Record(34, 100000);
        for (int i = 0; i < 3000; ++i)
            w.u32Record(34, quint32(-1));
        w.rectangle(0, 0, 100, 100);
        QTest::newRow("runaway save and restore") << w.finish() << at({"50,50=#ffff0000"}) << false;
    }
    {
        EmfWriter w = redCanvas();
        Dib dib = makeDib(4, 4, 24, [](int, int) { return kBlue; });
        qToLittleEndian<qint32>(1000, dib.info.data() + 4); // claims 1000 x 4 pixels
        w.stretchDib(0, 0, 100, 100, dib, 4, 4);
        Dib bomb = makeDib(4, 4, 8, [](int, int) { return kBlue; }, {kBlue}, false, 1);
        qToLittleEndian<qint32>(60000, bomb.info.data() + 4);
        qToLittleEndian<qint32>(60000, bomb.info.data() + 8);
        w.stretchDib(0, 0, 100, 100, bomb, 60000, 60000);
        Dib depth = makeDib(4, 4, 24, [](int, int) { return kBlue; });
        qToLittleEndian<quint16>(7, depth.info.data() + 14); // seven bits per pixel
        w.stretchDib(0, 0, 100, 100, depth, 4, 4);
        Bytes outside;
        outside.rectL(0, 0, 0, 0).i32(0).i32(0).i32(0).i32(0).i32(4).i32(4);
        outside.u32(0xFFFFFFF0).u32(40).u32(0x7FFFFFFF).u32(0x7FFFFFFF).u32(0).u32(0x00CC0020).i32(100).i32(100);
        w.record(81, outside);
        w.rectangle(50, 50, 100, 100);
        QTest::newRow("bitmaps that lie about their size")
            << w.finish() << at({"25,25=#00000000", "75,75=#ffff0000"}) << false;
    }
    {
        EmfWriter w = redCanvas();
        w.record(35, Bytes().f32(kNaN).f32(0).f32(0).f32(1).f32(0).f32(0));
        w.record(35, Bytes().f32(0).f32(0).f32(0).f32(0).f32(0).f32(0));
        w.record(35, Bytes().f32(1e30f).f32(0).f32(0).f32(1e30f).f32(0).f32(0));
        w.record(36, Bytes().f32(1e20f).f32(0).f32(0).f32(1e20f).f32(0).f32(0).u32(2));
        w.record(36, Bytes().f32(2).f32(0).f32(0).f32(2).f32(0).f32(0).u32(77)); // unknown mode
        w.rectangle(0, 0, 50, 50);
        QTest::newRow("transforms that would blow up are refused")
            << w.finish() << at({"25,25=#ffff0000", "75,75=#00000000"}) << false;
    }
    {
        EmfWriter w = redCanvas();
        w.u32Record(17, 8);
        w.pointRecord(9, 1, 1);
        w.pointRecord(11, 0x7FFFFFFF, 0x7FFFFFFF);
        w.rectangle(0, 0, 100, 100);
        w.pointRecord(11, 1, 1);
        w.pointRecord(9, 0x7FFFFFFF, 1);
        w.rectangle(0, 0, 100, 100); // squeezed to nothing
        w.u32Record(17, 1);
        w.rectangle(50, 50, 100, 100);
        QTest::newRow("mappings out of range") << w.finish() << at({"75,75=#ffff0000"}) << false;
    }
    {
        EmfWriter w(EmfWriter::pixelFrame(100, 100));
        w.createPen(1, 2, 0, kRed); // cosmetic dots
        w.select(1);
        w.pointRecord(27, -2000000000, 50);
        w.pointRecord(54, 2000000000, 50);
        w.createPen(2, 0x00010000 | 1, 2000000000, kRed); // geometric dashes, absurd width
        w.select(2);
        w.pointRecord(54, 0, 0);
        w.font(3, std::numeric_limits<int>::min() + 1, QStringLiteral("Arial"));
        w.select(3);
        w.textW(0, 0, QStringLiteral("W"));
        w.record(41, Bytes().i32(50).i32(50).u32(0xFFFFFFFF).f32(0).f32(1e30f)); // angle arc
        QTest::newRow("huge pens, fonts and arcs finish") << w.finish() << at({}) << false;
    }
    {
        EmfWriter w = redCanvas();
        w.record(35, Bytes().f32(1000).f32(0).f32(0).f32(1).f32(0).f32(0));
        w.record(59, Bytes()); // a clip path whose edges cross far outside any int
        w.pointRecord(27, -2000000000, 0);
        w.pointRecord(54, 2000000000, 100);
        w.pointRecord(54, 0, 100);
        w.record(60, Bytes());
        w.u32Record(67, 1);
        w.rectangle(0, 0, 100, 100);
        QTest::newRow("clip path far outside the frame finishes") << w.finish() << at({}) << false;
    }
    {
        EmfWriter w = redCanvas();
        Bytes text;
        text.rectL(0, 0, 0, 0).u32(1).f32(1).f32(1).i32(0).i32(0).u32(0x7FFFFFFF).u32(76).u32(0);
        text.rectL(0, 0, 0, 0).u32(0);
        w.record(84, text);
        Bytes offset;
        offset.rectL(0, 0, 0, 0).u32(1).f32(1).f32(1).i32(0).i32(0).u32(2).u32(0xFFFFFFF0).u32(0);
        offset.rectL(0, 0, 0, 0).u32(0xFFFFFFF0);
        w.record(84, offset);
        w.rectangle(0, 0, 100, 100);
        QTest::newRow("text outside its record") << w.finish() << at({"50,50=#ffff0000"}) << false;
    }
    {
        EmfWriter w = redCanvas();
        Bytes region;
        region.u32(0x7FFFFFFF).u32(5).u32(32).u32(1).u32(0xFFFFFFFF).u32(0).rectL(0, 0, 1, 1);
        w.record(75, region);
        Bytes extreme; // corners at the ends of the integer range
        extreme.u32(32).u32(1).u32(2).u32(32).rectL(0, 0, 1, 1);
        extreme.rectL(std::numeric_limits<int>::min(), std::numeric_limits<int>::min(),
                      std::numeric_limits<int>::max(), std::numeric_limits<int>::max());
        extreme.rectL(0, -1140850689, 100, 1275263744);
        w.record(75, Bytes().u32(quint32(extreme.size())).u32(5).raw(extreme.data()));
        w.record(75, Bytes().u32(0).u32(5));
        Bytes gradient;
        gradient.rectL(0, 0, 0, 0).u32(1).u32(1).u32(0).i32(0).i32(0).u16(0).u16(0).u16(0).u16(0);
        gradient.u32(0).u32(9); // the second vertex does not exist
        w.record(118, gradient);
        w.record(118, Bytes().rectL(0, 0, 0, 0).u32(0xFFFFFFFF).u32(0xFFFFFFFF).u32(2));
        w.rectangle(0, 0, 100, 100);
        QTest::newRow("regions and gradients that lie") << w.finish() << at({"50,50=#ffff0000"}) << false;
    }
    {
        EmfWriter w = redCanvas();
        QList<QPoint> circle;
        for (int i = 0; i < 16000; ++i)
            circle << QPoint(50 + int(std::lround(40 * std::cos(i * 2 * M_PI / 16000))),
                             50 + int(std::lround(40 * std::sin(i * 2 * M_PI / 16000))));
        w.record(59);
        w.polygon16(circle);
        w.record(60);
        w.u32Record(67, 5);
        w.rectangle(0, 0, 100, 100);
        QTest::newRow("clip path of many points") << w.finish() << at({"50,50=#ffff0000", "3,3=#00000000", "95,50=#00000000"}) << false;
    }
    {
        EmfWriter w = redCanvas();
        w.record(70, Bytes().u32(8).u32(0x2B464D45).u32(0x12345678)); // EMF+ comment
        w.rectangle(0, 0, 100, 100);
        QTest::newRow("EMF+ comments are passed over") << w.finish() << at({"50,50=#ffff0000"}) << false;
    }
    {
        EmfWriter w = redCanvas();
        w.rectangle(0, 0, 50, 50);
        w.rectangle(50, 50, 100, 100);
        QByteArray bytes = w.finish();
        bytes.chop(20 + 10); // the end record and part of the last rectangle
        QTest::newRow("file cut inside a record") << bytes << at({"25,25=#ffff0000", "75,75=#00000000"}) << true;
    }
    {
        WmfWriter w = redWmf(2);
        w.createBrush(0, kBlue); // the table is full: dropped
        w.select(2);
        w.select(0xFFFF);
        w.deleteObject(0xFFFF);
        w.rectangle(0, 0, 100, 100);
        QTest::newRow("wmf object table full") << w.finish() << at({"50,50=#ffff0000"}) << false;
    }
    {
        WmfWriter w = redWmf();
        w.record(0x0324, Bytes().i16(30000).i16(0).i16(0));
        w.record(0x0538, Bytes().u16(3).u16(65535).u16(65535).u16(65535));
        Dib dib = makeDib(4, 4, 24, [](int, int) { return kBlue; });
        qToLittleEndian<qint32>(-30000, dib.info.data() + 8);
        w.stretchDib(0, 0, 100, 100, dib, 4, 4);
        w.record(0x0A32, Bytes().i16(0).i16(0).i16(32000).u16(0));
        w.record(0x0521, Bytes().i16(-5));
        w.record(0x06FF, Bytes().u16(0).i16(6).i32(0).i16(0).i16(30000).i16(0).i16(0).i16(0).i16(9).i16(9));
        w.rectangle(50, 50, 100, 100);
        QTest::newRow("wmf records shorter than their counts")
            << w.finish() << at({"25,25=#00000000", "75,75=#ffff0000"}) << false;
    }
    {
        WmfWriter w = redWmf();
        w.rectangle(0, 0, 50, 50);
        w.rawRecord(Bytes().u32(0).u16(0x041B).data());
        QTest::newRow("wmf record of zero words") << w.finish() << at({"25,25=#ffff0000"}) << true;
    }
    {
        WmfWriter w = redWmf();
        w.rectangle(0, 0, 50, 50);
        w.rawRecord(Bytes().u32(0x7FFFFFFF).u16(0x041B).data());
        QTest::newRow("wmf record past the end") << w.finish() << at({"25,25=#ffff0000"}) << true;
    }
    {
        WmfWriter w = redWmf();
        w.windowExt(1, 1);
        w.record(0x0410, Bytes().i16(1).i16(0).i16(1).i16(0)); // zero numerators: ignored
        w.rectangle(0, 0, 1, 1);
        QTest::newRow("wmf tiny window") << w.finish() << at({"50,50=#ffff0000"}) << false;
    }
}

void TestMetafileDamage::survivesDamage()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, probes);
    QFETCH(bool, warns);
    const Rendered r = render(bytes, pictures::kMaxPicturePixels);
    QVERIFY2(r.error.isEmpty(), qPrintable(r.error));
    QCOMPARE(r.image.size(), QSize(100, 100));
    QVERIFY2(r.warning.isEmpty() != warns, qPrintable(r.warning));
    const QString wrong = probeMismatches(r.image, probes);
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
}

void TestMetafileDamage::survivesMutations_data()
{
    QTest::addColumn<QByteArray>("original");
    QTest::newRow("emf") << sampleEmf();
    QTest::newRow("wmf") << sampleWmf();
}

void TestMetafileDamage::survivesMutations()
{
    // Deterministic byte damage: every variant ends in a refusal or a
    // picture of the header's size, never anything else.
    QFETCH(QByteArray, original);
    QRandomGenerator random(20240601);
    for (int round = 0; round < 300; ++round) {
        QByteArray bytes = original;
        const int changes = 1 + int(random.bounded(8));
        for (int i = 0; i < changes; ++i) {
            const qsizetype at = random.bounded(bytes.size());
            bytes[at] = char(random.bounded(256));
        }
        if (round % 10 == 0)
            bytes.truncate(random.bounded(bytes.size()));
        const Rendered r = render(bytes, pictures::kMaxPicturePixels);
        if (r.error.isEmpty()) {
            QSize pixels;
            QSizeF twips;
            QString error;
            QVERIFY(pictureSize(bytes, &pixels, &twips, &error));
            QCOMPARE(r.image.size(), pixels);
        } else {
            QVERIFY(r.image.isNull());
        }
    }
}

void TestMetafileDamage::fixtures_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("generated");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QStringList>("probes");
    QTest::newRow("clip art emf") << "clipart.emf" << sampleEmf() << QSize(200, 150)
        << at({"165,25~#ffd000", "90,62~#c04020", "100,3~#60a0ff", "5,145~#30a030", "11,11~#000000",
               "15,11~#ffffff"});
    QTest::newRow("clip art wmf") << "clipart.wmf" << sampleWmf() << QSize(200, 150)
        << at({"165,25~#ffd000", "90,62~#c04020", "190,10~#a0c8ff", "5,145~#30a030", "11,11~#0000ff",
               "15,11~#ffffff"});
}

void TestMetafileDamage::fixtures()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, generated);
    QFETCH(QSize, size);
    QFETCH(QStringList, probes);
    const QString dir = QStringLiteral(TT_FIXTURES_DIR "/metafiles");
    const QString path = dir + QLatin1Char('/') + name;
    // TT_WRITE_METAFILE_FIXTURES=1 rewrites the committed files and fuzz seeds.
    if (qEnvironmentVariableIsSet("TT_WRITE_METAFILE_FIXTURES")) {
        QDir().mkpath(dir);
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(generated);
        QFile seed(QStringLiteral(TT_FIXTURES_DIR "/../../fuzz/corpus/fuzz_metafile/") + name);
        QVERIFY(seed.open(QIODevice::WriteOnly));
        seed.write(generated);
    }
    const pictures::PictureResult loaded = pictures::loadPicture(path);
    QVERIFY2(loaded.ok(), qPrintable(loaded.error));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const Rendered r = render(file.readAll(), pictures::kMaxPicturePixels);
    QVERIFY2(r.error.isEmpty() && r.warning.isEmpty(), qPrintable(r.error + r.warning));
    QCOMPARE(r.image.size(), size);
    const QString wrong = probeMismatches(r.image, probes);
    if (!wrong.isEmpty())
        r.image.save(QStringLiteral(TT_BINARY_DIR "/") + name + QStringLiteral(".png"));
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
}

QTEST_MAIN(TestMetafileDamage)
#include "tst_metafile_damage.moc"
