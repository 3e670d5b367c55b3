#pragma once
// Pictures made to hurt: small files that crash a naive renderer or keep it
// busy for minutes. The picture loader's regression test loads them at full
// size, the benchmark times them, and the fuzz seeds are their small versions.

#include "tests/tst_metafile_writer.h"

#include <QByteArray>
#include <QList>
#include <QPoint>

#include <algorithm>
#include <functional>

namespace hostile {

using mftest::Bytes;
using mftest::EmfWriter;
using mftest::WmfWriter;

// An EMF of side x side logical units drawn on outputSide pixels (side /
// outputSide logical units to the pixel).
inline EmfWriter scaledEmf(int side, int outputSide, quint16 handles = 16)
{
    EmfWriter w(EmfWriter::pixelFrame(outputSide, outputSide), handles);
    w.u32Record(17, 8); // anisotropic
    w.pointRecord(9, side, side);
    w.pointRecord(11, outputSide, outputSide);
    w.nullPen();
    w.solidBrush(1, 0xFF2060C0);
    return w;
}

// A clip path shaped as a comb: a bar along the top and `teeth` teeth
// hanging down the whole height, their edges between pixels; then the whole
// frame filled, with a rectangle or with a pattern bit-blt. Rasterised, the
// clip has as many rectangles in every row as the comb has teeth.
inline QByteArray combClip(int teeth, int side = 8000, int outputSide = 2000, bool bitBlt = false)
{
    EmfWriter w = scaledEmf(side, outputSide);
    const double pitch = double(side) / teeth;
    QList<QPoint> comb{{0, 0}, {side, 0}};
    for (int i = teeth - 1; i >= 0; --i) {
        // A quarter of a pixel off the pixel grid on both sides.
        const int left = int(i * pitch) + 1, right = int(i * pitch + pitch / 2) + 1;
        comb << QPoint(right, 1) << QPoint(right, side) << QPoint(left, side) << QPoint(left, 1);
    }
    w.record(59); // begin path
    w.polygon16(comb);
    w.record(60); // end path
    w.u32Record(67, 5); // select clip path, copy
    if (bitBlt)
        w.blt(76, 0, 0, side, side, 0x00F00021, {}, 0, 0); // PATCOPY
    else
        w.rectangle(0, 0, side, side);
    return w.finish();
}

// `count` rectangles each covering the whole frame.
inline QByteArray fullFrameRectangles(int count, int side = 8192)
{
    EmfWriter w = scaledEmf(side, side);
    for (int i = 0; i < count; ++i)
        w.rectangle(0, 0, side, side);
    return w.finish();
}

// `count` text records, each one glyph as tall as the frame.
inline QByteArray hugeGlyphs(int count, int side = 8192)
{
    EmfWriter w = scaledEmf(side, side);
    w.font(2, -side, QStringLiteral("DejaVu Sans"), 900);
    w.select(2);
    for (int i = 0; i < count; ++i)
        w.textW(0, 0, QStringLiteral("W"));
    return w.finish();
}

// One polygon of `points` points zigzagging between the top and the bottom
// of the frame: every edge crosses every row.
inline QByteArray crossingPolygon(int points, int side = 8192)
{
    EmfWriter w = scaledEmf(side, side);
    Bytes b;
    b.rectL(0, 0, side, side).u32(quint32(points));
    for (int i = 0; i < points; ++i)
        b.i32(int(qint64(i) * side / points)).i32(i % 2 ? side : 0);
    w.record(3, b); // polygon, 32-bit points
    return w.finish();
}

// A WMF region of `rects` rectangles (a grid of one-unit cells, a row per
// scan) selected as the clip `selects` times, with a rectangle filled after
// each selection.
inline QByteArray reselectedRegion(int rects, int selects, int side = 4096)
{
    WmfWriter w(true, QRect(QPoint(0, 0), QPoint(side, side)), 96, 4);
    w.createPen(5, 0, 0);
    w.select(0);
    w.createBrush(0, 0xFF20A040);
    w.select(1);
    const int perScan = qMax(1, qMin(rects, side / 2));
    const int scans = (rects + perScan - 1) / perScan;
    Bytes region;
    region.i16(0).i16(6).i32(0).i16(0).i16(qint16(scans)).i16(qint16(perScan * 2));
    region.i16(0).i16(0).i16(qint16(side)).i16(qint16(scans * 2));
    int left = rects;
    for (int s = 0; s < scans; ++s) {
        const int here = qMin(perScan, left);
        left -= here;
        region.u16(quint16(here * 2)).i16(qint16(s * 2)).i16(qint16(s * 2 + 1));
        for (int i = 0; i < here; ++i)
            region.i16(qint16(i * 2)).i16(qint16(i * 2 + 1));
        region.u16(quint16(here * 2));
    }
    w.record(0x06FF, region); // create region, slot 2
    for (int i = 0; i < selects; ++i) {
        w.record(0x012C, Bytes().u16(2)); // select clip region
        w.rectangle(0, 0, side, side);
    }
    return w.finish();
}

// A progressive grey JPEG of side x side whose DC scan is followed by
// `scans` AC scans that each end every block at once: a small file that
// libjpeg must walk block by block once per scan.
inline QByteArray progressiveJpeg(int side, int scans)
{
    QByteArray out;
    const auto u8 = [&](int v) { out.append(char(v)); };
    const auto u16 = [&](int v) { u8(v >> 8); u8(v & 0xFF); };
    u16(0xFFD8);
    u16(0xFFDB); u16(67); u8(0); // quantisation table 0, all ones
    for (int i = 0; i < 64; ++i)
        u8(1);
    u16(0xFFC2); u16(11); u8(8); u16(side); u16(side); u8(1); u8(1); u8(0x11); u8(0);
    // DC table: one code "0" for a zero difference.
    u16(0xFFC4); u16(19 + 1); u8(0x00); u8(1);
    for (int i = 1; i < 16; ++i)
        u8(0);
    u8(0x00);
    // AC table: "0" = EOB run of 2^14 + 14 bits, "10" = EOB run of 2^5 + 5 bits.
    u16(0xFFC4); u16(19 + 2); u8(0x10); u8(1); u8(1);
    for (int i = 2; i < 16; ++i)
        u8(0);
    u8(0xE0); u8(0x50);

    struct Bits {
        QByteArray *out;
        quint32 acc = 0;
        int n = 0;
        void put(quint32 value, int count)
        {
            for (int i = count - 1; i >= 0; --i) {
                acc = (acc << 1) | ((value >> i) & 1);
                if (++n == 8) {
                    out->append(char(acc));
                    if (acc == 0xFF)
                        out->append('\0');
                    acc = 0;
                    n = 0;
                }
            }
        }
        void flush()
        {
            while (n)
                put(1, 1);
        }
    };
    const qint64 blocks = qint64((side + 7) / 8) * ((side + 7) / 8);
    u16(0xFFDA); u16(8); u8(1); u8(1); u8(0x00); u8(0); u8(0); u8(0x00);
    out.append(QByteArray((blocks + 7) / 8, '\0')); // every DC difference zero
    for (int s = 0; s < scans; ++s) {
        u16(0xFFDA); u16(8); u8(1); u8(1); u8(0x00); u8(1); u8(63); u8(0x00);
        Bits bits{&out};
        qint64 left = blocks;
        while (left > 0) {
            if (left >= 16384) {
                const qint64 run = qMin<qint64>(left, 32767);
                bits.put(0, 1);
                bits.put(quint32(run - 16384), 14);
                left -= run;
            } else {
                // What remains is sent as runs of 32 to 63 blocks, and the
                // last few as one more run that ends past the picture.
                const qint64 run = std::clamp<qint64>(left, 32, 63);
                bits.put(2, 2);
                bits.put(quint32(run - 32), 5);
                left -= run;
            }
        }
        bits.flush();
    }
    u16(0xFFD9);
    return out;
}

struct Case {
    const char *name;
    const char *file;
    std::function<QByteArray()> make;
};

// Each at the full size that hurt.
inline QList<Case> cases()
{
    return {
        {"comb clip of 600 teeth, whole frame filled", "comb-600.emf", [] { return combClip(600); }},
        {"comb clip of 600 teeth, whole frame bit-blt", "comb-600-blt.emf",
         [] { return combClip(600, 8000, 2000, true); }},
        {"comb clip of 2048 teeth", "comb-2048.emf", [] { return combClip(2048); }},
        {"1,000 full-frame rectangles on 8192 px", "rects-1000.emf",
         [] { return fullFrameRectangles(1000); }},
        {"300 glyphs as tall as an 8192 px frame", "glyphs-300.emf", [] { return hugeGlyphs(300); }},
        {"polygon of 150,000 frame-crossing edges", "polygon-150000.emf",
         [] { return crossingPolygon(150000); }},
        {"WMF region of 20,000 rectangles selected 1,000 times", "region-20000.wmf",
         [] { return reselectedRegion(20000, 1000); }},
        {"progressive JPEG 8192 px, 3,000 scans", "scans-3000.jpg",
         [] { return progressiveJpeg(8192, 3000); }},
    };
}

} // namespace hostile
