#pragma once
// Representative clip-art pictures built with the test writer: the committed
// fixtures, the fuzz seeds and the benchmark's input come from here.

#include "tst_metafile_writer.h"

#include <QMap>

#include <cmath>

namespace mftest {

// A 200 x 150 pixel clip-art EMF: a gradient sky, a sun, a house of filled
// and outlined polygons, Bézier hills, a caption, a small bitmap, all under
// an anisotropic mapping with a rotated and clipped detail.
inline QByteArray sampleEmf(int detail = 1)
{
    EmfWriter w(EmfWriter::pixelFrame(200, 150), 32);
    w.u32Record(17, 8);                    // anisotropic
    w.pointRecord(9, 2000, 1500);          // window extent
    w.pointRecord(11, 200, 150);           // viewport extent
    w.u32Record(18, 1);                    // transparent background
    Bytes g;
    g.rectL(0, 0, 2000, 1000).u32(2).u32(1).u32(1);
    g.i32(0).i32(0).u16(0x6000).u16(0xA000).u16(0xFF00).u16(0);
    g.i32(2000).i32(1000).u16(0xE000).u16(0xF000).u16(0xFF00).u16(0);
    g.u32(0).u32(1);
    w.record(118, g); // sky, top to bottom
    w.nullPen();
    w.solidBrush(1, 0xFFFFD000);
    w.ellipse(1500, 100, 1800, 400); // sun
    w.createPen(2, 0x00010000 | 0x2000, 20, 0xFF402000); // geometric, mitred
    w.select(2);
    for (int i = 0; i < detail; ++i) {
        w.solidBrush(3, 0xFF30A030);
        Bytes hills;
        hills.rectL(0, 0, 0, 0).u32(6);
        for (QPoint p : {QPoint(500, 800), QPoint(900, 900), QPoint(1200, 1050),
                         QPoint(1500, 1200), QPoint(1800, 800), QPoint(2000, 1000)})
            hills.i16(qint16(p.x())).i16(qint16(p.y() + i % 7));
        w.record(59);
        w.pointRecord(27, 0, 1100);
        w.record(88, hills); // Bézier-to from the current position
        w.pointRecord(54, 2000, 1500);
        w.pointRecord(54, 0, 1500);
        w.record(61);
        w.record(60);
        w.record(63, Bytes().rectL(0, 0, 0, 0)); // stroke and fill
        w.deleteObject(3);
    }
    w.solidBrush(4, 0xFFC04020);
    w.polygon16({{600, 700}, {900, 450}, {1200, 700}}); // roof
    w.solidBrush(5, 0xFFF0E0C0);
    w.rectangle(650, 700, 1150, 1150); // wall
    w.record(33);
    w.rectRecord(30, 700, 750, 850, 900); // window clipped to its frame
    w.createBrush(6, 2, 0xFF2040A0, 4);   // cross hatch
    w.select(6);
    w.ellipse(650, 700, 900, 950);
    w.u32Record(34, quint32(-1));
    w.record(35, Bytes().f32(0.866f).f32(0.5f).f32(-0.5f).f32(0.866f).f32(300).f32(-200));
    w.solidBrush(7, 0xFF804000);
    w.record(44, Bytes().rectL(900, 800, 1050, 1150).i32(40).i32(40)); // door
    w.record(35, Bytes().f32(1).f32(0).f32(0).f32(1).f32(0).f32(0));
    w.font(8, -120, QStringLiteral("Arial"), 700);
    w.select(8);
    w.u32Record(24, colorRef(0xFF000060));
    w.u32Record(22, 6 | 24); // centred on the baseline
    w.textW(1000, 1400, QStringLiteral("Totora"), {120, 120, 120, 120, 120, 120});
    const Dib dib = makeDib(8, 8, 24, [](int x, int y) { return (x + y) % 2 ? 0xFFFFFFFF : 0xFF000000; });
    w.stretchDib(100, 100, 300, 300, dib, 8, 8);
    return w.finish();
}

// A 200 x 150 pixel placeable WMF (1440 units per inch) with the same kind
// of content in the sixteen-bit record set.
inline QByteArray sampleWmf(int detail = 1)
{
    WmfWriter w(true, QRect(QPoint(0, 0), QPoint(3000, 2250)), 1440, 16);
    w.windowOrg(0, 0);
    w.windowExt(3000, 2250);
    w.record(0x0102, Bytes().u16(1)); // transparent background
    w.createPen(5, 0, 0);             // slot 0: null pen
    w.select(0);
    w.createBrush(0, 0xFFA0C8FF); // slot 1: sky
    w.select(1);
    w.rectangle(0, 0, 3000, 1500);
    w.createBrush(0, 0xFFFFD000); // slot 2: sun
    w.select(2);
    w.ellipse(2200, 150, 2700, 650);
    w.createPen(0, 30, 0xFF402000); // slot 3
    w.select(3);
    w.createBrush(0, 0xFF30A030); // slot 4
    w.select(4);
    for (int i = 0; i < detail; ++i) {
        QList<QPoint> hills;
        for (int k = 0; k <= 30; ++k)
            hills << QPoint(k * 100, 1500 - int(200 * std::sin(k / 4.0 + i)));
        hills << QPoint(3000, 2250) << QPoint(0, 2250);
        w.polygon(hills);
    }
    w.createBrush(0, 0xFFC04020); // slot 5
    w.select(5);
    w.polygon({{900, 1050}, {1350, 675}, {1800, 1050}});
    w.createBrush(2, 0xFF2040A0, 5); // slot 6: diagonal hatch
    w.select(6);
    w.rectangle(975, 1050, 1725, 1725);
    w.font(-180, "Arial", 700);      // slot 7
    w.select(7);
    w.record(0x0209, Bytes().u32(colorRef(0xFF000060)));
    w.record(0x012E, Bytes().u16(6 | 24));
    w.textOut(1500, 2100, "Totora");
    const Dib dib = makeDib(8, 8, 8, [](int x, int y) { return (x + y) % 2 ? 0xFFFFFFFF : 0xFF0000FF; },
                            {0xFFFFFFFF, 0xFF0000FF});
    w.stretchDib(150, 150, 450, 450, dib, 8, 8);
    return w.finish();
}

} // namespace mftest
