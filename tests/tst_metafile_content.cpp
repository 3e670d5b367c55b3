// Metafile pictures: where text and bitmaps land.

#include "pictures/metafile/font_match.h"
#include "pictures/metafile/metafile.h"
#include "pictures/picture.h"
#include "tst_metafile_probe.h"
#include "tst_metafile_writer.h"

#include <QBuffer>
#include <QtTest>

using namespace pictures::metafile;
using namespace mftest;

namespace {

constexpr QRgb kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF, kWhite = 0xFFFFFFFF;
const QList<QRgb> kPalette = {kRed, kGreen, kBlue, kWhite};

// Red, green / blue, white quadrants.
QRgb quadrant(int x, int y, int size = 2)
{
    const bool right = x >= size / 2, bottom = y >= size / 2;
    return bottom ? (right ? kWhite : kBlue) : (right ? kGreen : kRed);
}

QStringList quadrantProbes()
{
    return {QStringLiteral("25,25=#ffff0000"), QStringLiteral("75,25=#ff00ff00"),
            QStringLiteral("25,75=#ff0000ff"), QStringLiteral("75,75=#ffffffff")};
}

// The rectangle of pixels that anything was drawn on.
QRect inkBox(const QImage &image)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 100)
                box |= QRect(x, y, 1, 1);
    return box;
}

Rendered play(const QByteArray &bytes)
{
    return render(bytes, pictures::kMaxPicturePixels);
}

EmfWriter textCanvas(int height, quint32 align, int escapement = 0, int charset = 0)
{
    EmfWriter w(EmfWriter::pixelFrame(100, 100));
    w.font(1, height, QStringLiteral("Arial"), 400, escapement, charset);
    w.select(1);
    w.u32Record(18, 1); // transparent background
    w.u32Record(22, align);
    return w;
}

Dib compressedDib(quint32 compression, int bpp, const QByteArray &bits)
{
    Dib dib = makeDib(2, 2, bpp, [](int x, int y) { return quadrant(x, y); }, kPalette, false, 0);
    qToLittleEndian<quint32>(compression, dib.info.data() + 16);
    dib.bits = bits;
    return dib;
}

Dib embeddedDib(const char *format)
{
    QImage image(16, 16, QImage::Format_RGB32);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            image.setPixel(x, y, quadrant(x, y, 16));
    QByteArray encoded;
    QBuffer buffer(&encoded);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, 100);
    Dib dib;
    dib.info = Bytes().u32(40).i32(16).i32(16).u16(1).u16(0).u32(qstrcmp(format, "JPEG") ? 5 : 4)
                   .u32(quint32(encoded.size())).i32(0).i32(0).u32(0).u32(0).data();
    dib.bits = encoded;
    return dib;
}

} // namespace

class TestMetafileContent : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void placesText_data();
    void placesText();
    void textDetails();
    void symbolFontCodes_data();
    void symbolFontCodes();
    void drawsEveryDibDepth_data();
    void drawsEveryDibDepth();
    void placesBitmaps_data();
    void placesBitmaps();
    void alphaBlendConstant();
    void drawsLibreOfficeExports_data();
    void drawsLibreOfficeExports();
};

void TestMetafileContent::placesText_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QRect>("inside");  // the ink must lie within
    QTest::addColumn<QRect>("reaches"); // and must touch this area

    {
        EmfWriter w = textCanvas(-40, 0); // top left
        w.textW(10, 10, QStringLiteral("HH"));
        QTest::newRow("top left") << w.finish() << QRect(10, 10, 60, 40) << QRect(10, 10, 8, 14);
    }
    {
        EmfWriter w = textCanvas(-40, 2); // right
        w.textW(90, 10, QStringLiteral("HH"));
        QTest::newRow("right aligned") << w.finish() << QRect(30, 10, 61, 40) << QRect(82, 10, 9, 14);
    }
    {
        EmfWriter w = textCanvas(-40, 6 | 24); // centred on the baseline
        w.textW(50, 60, QStringLiteral("HH"));
        QTest::newRow("centre baseline") << w.finish() << QRect(20, 20, 61, 41) << QRect(20, 55, 61, 6);
    }
    {
        EmfWriter w = textCanvas(-40, 8); // bottom: the descent stays above the reference
        w.textW(10, 90, QStringLiteral("HH"));
        QTest::newRow("bottom") << w.finish() << QRect(10, 40, 60, 49) << QRect(10, 75, 60, 10);
    }
    {
        EmfWriter w = textCanvas(-30, 24, 900); // baseline, turned a quarter counter-clockwise
        w.textW(50, 90, QStringLiteral("HHH"));
        QTest::newRow("escapement") << w.finish() << QRect(25, 20, 26, 71) << QRect(40, 20, 11, 20);
    }
    {
        EmfWriter w = textCanvas(-30, 24, 2700); // the same on a page with y up
        w.u32Record(17, 8);
        w.pointRecord(10, 0, 100);
        w.pointRecord(9, 100, -100);
        w.pointRecord(11, 100, 100);
        w.textW(50, 10, QStringLiteral("HHH"));
        QTest::newRow("escapement on a page with y up") << w.finish() << QRect(25, 20, 26, 71) << QRect(40, 20, 11, 20);
    }
    {
        EmfWriter w = textCanvas(-30, 0);
        w.textW(5, 10, QStringLiteral("II"), {80, 10});
        QTest::newRow("advance array") << w.finish() << QRect(5, 10, 95, 35) << QRect(84, 10, 14, 30);
    }
    {
        EmfWriter w = textCanvas(-60, 0);
        w.textW(0, 0, QStringLiteral("WWWW"), {}, 0x04, QRect(0, 0, 30, 100)); // clipped
        QTest::newRow("clipped run") << w.finish() << QRect(0, 0, 30, 100) << QRect(0, 0, 30, 30);
    }
    {
        EmfWriter w = textCanvas(-20, 0);
        w.record(35, Bytes().f32(2).f32(0).f32(0).f32(2).f32(0).f32(0));
        w.textW(5, 5, QStringLiteral("H"));
        QTest::newRow("world scale enlarges text") << w.finish() << QRect(10, 10, 30, 40) << QRect(10, 40, 30, 6);
    }
    {
        EmfWriter w = textCanvas(-30, 1); // update the current position
        w.pointRecord(27, 5, 10);
        w.textW(0, 0, QStringLiteral("HH"));
        w.textW(0, 0, QStringLiteral("HH"));
        QTest::newRow("current position moves on") << w.finish() << QRect(5, 10, 90, 30) << QRect(70, 10, 20, 30);
    }
    {
        EmfWriter w = textCanvas(-40, 0, 0, 128);
        Bytes b;
        const QByteArray sjis("\x82\xa0\x82\xa0", 4); // two hiragana "a"
        b.rectL(0, 0, -1, -1).u32(1).f32(1).f32(1).i32(10).i32(10).u32(4).u32(76).u32(0);
        b.rectL(0, 0, 0, 0).u32(0).raw(sjis);
        w.record(83, b);
        QTest::newRow("narrow shift-jis text") << w.finish() << QRect(10, 10, 85, 45) << QRect(10, 10, 40, 40);
    }
    {
        WmfWriter w(true, QRect(QPoint(0, 0), QPoint(100, 100)), 96);
        w.font(-40, "Arial");
        w.select(0);
        w.record(0x0102, Bytes().u16(1));
        w.textOut(10, 10, "HH");
        QTest::newRow("wmf text out") << w.finish() << QRect(10, 10, 60, 40) << QRect(10, 10, 8, 14);
    }
    {
        WmfWriter w(true, QRect(QPoint(0, 0), QPoint(100, 100)), 96);
        w.font(-30, "Arial");
        w.select(0);
        w.record(0x0102, Bytes().u16(1));
        w.record(0x0A32, Bytes().i16(10).i16(5).i16(2).u16(0).raw("II").i16(80).i16(10));
        QTest::newRow("wmf advance array") << w.finish() << QRect(5, 10, 95, 35) << QRect(84, 10, 14, 30);
    }
}

void TestMetafileContent::placesText()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QRect, inside);
    QFETCH(QRect, reaches);
    const Rendered r = play(bytes);
    QVERIFY2(r.error.isEmpty(), qPrintable(r.error));
    const QRect ink = inkBox(r.image);
    const QString where = QStringLiteral("ink at %1,%2 %3x%4").arg(ink.x()).arg(ink.y()).arg(ink.width()).arg(ink.height());
    QVERIFY2(!ink.isEmpty(), "no text drawn");
    QVERIFY2(inside.adjusted(-1, -1, 1, 1).contains(ink), qPrintable(where));
    QVERIFY2(ink.intersects(reaches), qPrintable(where));
}

void TestMetafileContent::symbolFontCodes_data()
{
    QTest::addColumn<QString>("face");
    QTest::addColumn<QString>("codes");
    QTest::addColumn<QString>("shown");
    QTest::newRow("letters are Greek") << "Symbol" << "DaS p" << QString::fromUtf8("ΔαΣ π");
    QTest::newRow("signs above 0x7f") << "Symbol" << QString::fromUtf8("\u00b4\u00d7\u00b3")
                                      << QString::fromUtf8("×⋅≥");
    QTest::newRow("codes moved to private use") << "Symbol" << QString::fromUtf8("\uf044\uf0b9")
                                                << QString::fromUtf8("Δ≠");
    QTest::newRow("picture font keeps its codes") << "Wingdings" << "J" << "J";
}

void TestMetafileContent::symbolFontCodes()
{
    QFETCH(QString, face);
    QFETCH(QString, codes);
    QFETCH(QString, shown);
    pictures::metafile::Font font;
    font.charset = 2;
    font.face = face;
    QCOMPARE(symbolEncoded(font) ? fromSymbolCodes(codes) : codes, shown);
}

void TestMetafileContent::textDetails()
{
    // Colour, opaque background and the opaque rectangle.
    EmfWriter w = textCanvas(-40, 0);
    w.u32Record(24, colorRef(kRed));
    w.u32Record(25, colorRef(kBlue));
    w.u32Record(18, 2); // opaque background behind the glyphs
    w.textW(10, 10, QStringLiteral("H"));
    w.textW(0, 0, QString(), {}, 0x02, QRect(0, 80, 100, 20)); // opaque rectangle, no text
    const Rendered r = play(w.finish());
    QSet<QRgb> colours;
    for (int y = 10; y < 50; ++y)
        for (int x = 10; x < 40; ++x)
            colours.insert(r.image.pixel(x, y));
    QVERIFY(colours.contains(kRed));
    QVERIFY(colours.contains(kBlue));
    QCOMPARE(r.image.pixel(50, 90), kBlue);

    // A positive height is the cell, so the glyphs come out smaller than
    // with the same negative (character) height.
    EmfWriter cell = textCanvas(60, 0), character = textCanvas(-60, 0);
    cell.textW(5, 5, QStringLiteral("H"));
    character.textW(5, 5, QStringLiteral("H"));
    const int cellInk = inkBox(play(cell.finish()).image).height();
    const int charInk = inkBox(play(character.finish()).image).height();
    QVERIFY2(cellInk < charInk, qPrintable(QStringLiteral("%1 vs %2").arg(cellInk).arg(charInk)));
}

void TestMetafileContent::drawsEveryDibDepth_data()
{
    QTest::addColumn<QByteArray>("info");
    QTest::addColumn<QByteArray>("bits");
    QTest::addColumn<bool>("exact");
    auto add = [](const char *tag, const Dib &dib, bool exact = true) {
        QTest::newRow(tag) << dib.info << dib.bits << exact;
    };
    auto px = [](int x, int y) { return quadrant(x, y); };
    add("4 bit", makeDib(2, 2, 4, px, kPalette));
    add("8 bit", makeDib(2, 2, 8, px, kPalette));
    add("16 bit 555", makeDib(2, 2, 16, px));
    add("16 bit fields 565", makeDib(2, 2, 16, px, {}, false, 3));
    add("24 bit", makeDib(2, 2, 24, px));
    add("24 bit top-down", makeDib(2, 2, 24, px, {}, true));
    add("32 bit", makeDib(2, 2, 32, px));
    add("32 bit fields", makeDib(2, 2, 32, px, {}, false, 3));
    // Rows bottom first: blue, white; then red, green.
    add("rle8", compressedDib(1, 8, QByteArray("\x01\x02\x01\x03\x00\x00\x01\x00\x01\x01\x00\x01", 12)));
    add("rle4", compressedDib(2, 4, QByteArray("\x02\x23\x00\x00\x02\x01\x00\x01", 8)));
    Dib core;
    core.info = Bytes().u32(12).u16(2).i16(2).u16(1).u16(24).data();
    core.bits = makeDib(2, 2, 24, px).bits;
    add("core header", core);
    add("png", embeddedDib("PNG"));
    add("jpeg", embeddedDib("JPEG"), false);
}

void TestMetafileContent::drawsEveryDibDepth()
{
    QFETCH(QByteArray, info);
    QFETCH(QByteArray, bits);
    QFETCH(bool, exact);
    const Dib dib{info, bits};
    const int srcSize = qFromLittleEndian<quint32>(info.constData()) == 12
                            ? 2 : qFromLittleEndian<qint32>(info.constData() + 4);
    for (int kind = 0; kind < 2; ++kind) {
        QByteArray bytes;
        if (kind == 0) {
            EmfWriter w(EmfWriter::pixelFrame(100, 100));
            w.stretchDib(0, 0, 100, 100, dib, srcSize, srcSize);
            bytes = w.finish();
        } else {
            WmfWriter w(true, QRect(QPoint(0, 0), QPoint(100, 100)), 96);
            w.stretchDib(0, 0, 100, 100, dib, srcSize, srcSize);
            bytes = w.finish();
        }
        const Rendered r = play(bytes);
        QVERIFY2(r.error.isEmpty(), qPrintable(r.error));
        QStringList probes = quadrantProbes();
        if (!exact)
            probes.replaceInStrings(QStringLiteral("=#ff"), QStringLiteral("~#"));
        const QString wrong = probeMismatches(r.image, probes);
        QVERIFY2(wrong.isEmpty(), qPrintable((kind ? QStringLiteral("wmf: ") : QStringLiteral("emf: ")) + wrong));
    }
}

void TestMetafileContent::placesBitmaps_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("probes");
    const Dib quads = makeDib(2, 2, 24, [](int x, int y) { return quadrant(x, y); });
    {
        EmfWriter w(EmfWriter::pixelFrame(100, 100));
        w.blt(77, 0, 0, 100, 100, 0x00CC0020, quads, 2, 2);
        QTest::newRow("stretch-blt") << w.finish() << quadrantProbes();
    }
    {
        EmfWriter w(EmfWriter::pixelFrame(100, 100));
        w.blt(77, 100, 0, -100, 100, 0x00CC0020, quads, 2, 2);
        QTest::newRow("mirrored stretch-blt") << w.finish() << QStringList{"25,25=#ff00ff00", "75,25=#ffff0000", "25,75=#ffffffff"};
    }
    {
        EmfWriter w(EmfWriter::pixelFrame(100, 100));
        w.blt(76, 10, 10, 2, 2, 0x00CC0020, quads, 0, 0);
        QTest::newRow("bit-blt one to one") << w.finish() << QStringList{"10,10=#ffff0000", "11,11=#ffffffff", "12,12=#00000000", "9,9=#00000000"};
    }
    {
        // The sixteen-bit forms, parameters last to first, the bitmap after them.
        WmfWriter w(true, QRect(QPoint(0, 0), QPoint(100, 100)), 96);
        w.record(0x0B41, Bytes().u32(0x00CC0020).i16(2).i16(2).i16(0).i16(0).i16(100).i16(100)
                             .i16(0).i16(0).raw(quads.info).raw(quads.bits));
        QTest::newRow("wmf dib-stretch-blt") << w.finish() << quadrantProbes();
    }
    {
        WmfWriter w(true, QRect(QPoint(0, 0), QPoint(100, 100)), 96);
        w.record(0x0940, Bytes().u32(0x00CC0020).i16(0).i16(0).i16(2).i16(2).i16(10).i16(10)
                             .raw(quads.info).raw(quads.bits));
        QTest::newRow("wmf dib-bit-blt one to one") << w.finish() << QStringList{"10,10=#ffff0000", "11,11=#ffffffff", "12,12=#00000000", "9,9=#00000000"};
    }
    {
        WmfWriter w(true, QRect(QPoint(0, 0), QPoint(100, 100)), 96);
        // The old device bitmap: rows top down, blue green red.
        const QByteArray rows("\x00\x00\xff\x00\xff\x00\xff\x00\x00\xff\xff\xff", 12);
        w.record(0x0B23, Bytes().u32(0x00CC0020).i16(2).i16(2).i16(0).i16(0).i16(100).i16(100).i16(0).i16(0)
                             .i16(0).i16(2).i16(2).i16(6).u8(1).u8(24).raw(rows));
        QTest::newRow("wmf stretch-blt of a device bitmap") << w.finish() << quadrantProbes();
    }
    {
        EmfWriter w(EmfWriter::pixelFrame(100, 100));
        Bytes b;
        const quint32 offInfo = 8 + 68, offBits = offInfo + quint32(quads.info.size());
        b.rectL(0, 0, 0, 0).i32(20).i32(20).i32(0).i32(0).i32(2).i32(2);
        b.u32(offInfo).u32(quint32(quads.info.size())).u32(offBits).u32(quint32(quads.bits.size()));
        b.u32(0).u32(0).u32(2).raw(quads.info).raw(quads.bits);
        w.record(80, b);
        QTest::newRow("set-dib-bits-to-device") << w.finish() << QStringList{"20,20=#ffff0000", "21,20=#ff00ff00", "20,21=#ff0000ff", "22,22=#00000000"};
    }
    {
        EmfWriter w(EmfWriter::pixelFrame(100, 100));
        Bytes b;
        const quint32 offInfo = 8 + 72, offBits = offInfo + quint32(quads.info.size());
        // Source (1, 0) 1 x 1 of a bottom-up bitmap: its bottom-right pixel.
        b.rectL(0, 0, 0, 0).i32(0).i32(0).i32(1).i32(0).i32(1).i32(1);
        b.u32(offInfo).u32(quint32(quads.info.size())).u32(offBits).u32(quint32(quads.bits.size()));
        b.u32(0).u32(0x00CC0020).i32(100).i32(100).raw(quads.info).raw(quads.bits);
        w.record(81, b);
        QTest::newRow("source counted from the bottom") << w.finish() << QStringList{"10,10=#ffffffff", "90,90=#ffffffff"};
    }
    {
        EmfWriter w(EmfWriter::pixelFrame(100, 100));
        w.solidBrush(1, kBlue);
        w.blt(76, 0, 0, 50, 50, 0x00F00021, Dib(), 0, 0); // pattern copy
        w.blt(76, 50, 50, 50, 50, 0x00000042, Dib(), 0, 0); // blackness
        w.blt(76, 0, 0, 100, 100, 0x00AA0029, Dib(), 0, 0); // leaves the destination as it is
        QTest::newRow("blits without a bitmap") << w.finish() << QStringList{"25,25=#ff0000ff", "75,75=#ff000000", "75,25=#00000000"};
    }
    {
        EmfWriter w(EmfWriter::pixelFrame(100, 100));
        w.nullPen();
        w.solidBrush(1, kRed);
        w.rectangle(0, 0, 100, 100);
        const Dib mask = makeDib(2, 1, 24, [](int x, int) { return x ? kWhite : 0xFF000000; });
        w.blt(77, 0, 0, 100, 100, 0x008800C6, mask, 2, 1); // AND: white keeps what is below
        w.blt(77, 0, 0, 100, 100, 0x00AA0029, mask, 2, 1); // leaves the destination as it is
        QTest::newRow("and mask") << w.finish() << QStringList{"25,50=#ff000000", "75,50=#ffff0000"};
    }
    {
        EmfWriter w(EmfWriter::pixelFrame(100, 100));
        w.blt(116, 0, 0, 100, 100, colorRef(kWhite), quads, 2, 2); // transparent-blt, white keyed out
        QTest::newRow("transparent-blt") << w.finish() << QStringList{"25,25=#ffff0000", "75,75=#00000000"};
    }
    {
        EmfWriter w(EmfWriter::pixelFrame(100, 100));
        // Per-pixel premultiplied alpha: the left column transparent.
        const Dib alpha = makeDib(2, 1, 32, [](int x, int) { return x ? 0xFF0000FF : 0x00000000; });
        w.blt(114, 0, 0, 100, 100, 0x01FF0000, alpha, 2, 1);
        QTest::newRow("alpha blend per pixel") << w.finish() << QStringList{"25,50=#00000000", "75,50=#ff0000ff"};
    }
    {
        EmfWriter w(EmfWriter::pixelFrame(100, 100));
        const Dib pattern = makeDib(2, 2, 24, [](int x, int y) { return (x + y) % 2 ? kBlue : kRed; });
        Bytes b;
        b.u32(1).u32(0).u32(32).u32(quint32(pattern.info.size())).u32(32 + quint32(pattern.info.size()));
        b.u32(quint32(pattern.bits.size())).raw(pattern.info).raw(pattern.bits);
        w.record(94, b);
        w.select(1);
        w.nullPen();
        w.rectangle(0, 0, 100, 100);
        QTest::newRow("pattern brush tiles in pixels") << w.finish() << QStringList{"10,10=#ffff0000", "11,10=#ff0000ff", "51,50=#ff0000ff"};
    }
    {
        WmfWriter w = redWmf();
        const Dib pattern = makeDib(2, 2, 24, [](int x, int y) { return (x + y) % 2 ? kBlue : kRed; });
        w.record(0x0142, Bytes().u16(3).u16(0).raw(pattern.packed())); // pattern style, a DIB all the same
        w.select(2);
        w.rectangle(0, 0, 100, 100);
        QTest::newRow("wmf dib pattern brush of pattern style") << w.finish() << QStringList{"10,10=#ffff0000", "11,10=#ff0000ff"};
    }
}

void TestMetafileContent::placesBitmaps()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, probes);
    const Rendered r = play(bytes);
    QVERIFY2(r.error.isEmpty(), qPrintable(r.error));
    const QString wrong = probeMismatches(r.image, probes);
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
}

void TestMetafileContent::alphaBlendConstant()
{
    // A constant alpha of one half leaves the bitmap half transparent.
    EmfWriter w(EmfWriter::pixelFrame(100, 100));
    w.blt(114, 0, 0, 100, 100, 0x00800000, makeDib(1, 1, 24, [](int, int) { return kRed; }), 1, 1);
    const QColor c = play(w.finish()).image.pixelColor(50, 50);
    QVERIFY2(c.alpha() >= 120 && c.alpha() <= 136 && c.red() > 240 && c.green() < 10,
             qPrintable(c.name(QColor::HexArgb)));
}

void TestMetafileContent::drawsLibreOfficeExports_data()
{
    QTest::addColumn<QString>("file");
    // Both are one drawing; see fixtures/metafiles/libreoffice/README.md.
    QTest::newRow("EMF") << "drawing.emf";
    QTest::newRow("placeable WMF") << "drawing.wmf";
}

void TestMetafileContent::drawsLibreOfficeExports()
{
    QFETCH(QString, file);
    QFile f(QStringLiteral(TT_FIXTURES_DIR "/metafiles/libreoffice/") + file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const Rendered r = play(f.readAll());
    QVERIFY2(r.error.isEmpty(), qPrintable(r.error));
    QCOMPARE(r.image.size(), QSize(225, 145));
    const QString wrong = probeMismatches(r.image, {
        QStringLiteral("51,31~#d02040"),   // rectangle
        QStringLiteral("1,1~#000000"),     // its border
        QStringLiteral("166,36~#2050d0"),  // ellipse
        QStringLiteral("61,121~#30a040"),  // triangle
        QStringLiteral("191,101~#ffdc00"), // the picture's four pixels, stretched
        QStringLiteral("211,101~#000000"),
        QStringLiteral("191,121~#c800c8"),
        QStringLiteral("211,121~#00c8c8"),
        QStringLiteral("5,140=#00000000"),  // nothing drawn
        QStringLiteral("220,5=#00000000"),
    });
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
    // "Bus": dark ink in its box, none just above it.
    int ink = 0, above = 0;
    for (int y = 95; y < 125; ++y)
        for (int x = 131; x < 178; ++x)
            ink += qGray(r.image.pixel(x, y)) < 80 && qAlpha(r.image.pixel(x, y)) > 200;
    for (int y = 75; y < 88; ++y)
        for (int x = 131; x < 178; ++x)
            above += qAlpha(r.image.pixel(x, y)) > 0;
    QVERIFY2(ink > 150, qPrintable(QString::number(ink)));
    QCOMPARE(above, 0);
}

QTEST_MAIN(TestMetafileContent)
#include "tst_metafile_content.moc"
