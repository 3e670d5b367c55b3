#pragma once
// A small metafile writer for tests, fixtures, the benchmark and the fuzz
// seeds: records assembled byte by byte, so every file is exact and its
// layout is visible in the test that uses it.

#include <QByteArray>
#include <QColor>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QtEndian>

#include <cstring>
#include <functional>

namespace mftest {

class Bytes {
public:
    Bytes &u8(quint8 v) { m_data.append(char(v)); return *this; }
    Bytes &u16(quint16 v) { return put(v); }
    Bytes &i16(qint16 v) { return put(v); }
    Bytes &u32(quint32 v) { return put(v); }
    Bytes &i32(qint32 v) { return put(v); }
    Bytes &f32(float v)
    {
        quint32 bits;
        std::memcpy(&bits, &v, 4);
        return put(bits);
    }
    Bytes &raw(const QByteArray &b) { m_data.append(b); return *this; }
    Bytes &rectL(int l, int t, int r, int b) { return i32(l).i32(t).i32(r).i32(b); }
    Bytes &pad4()
    {
        while (m_data.size() % 4)
            m_data.append('\0');
        return *this;
    }
    qsizetype size() const { return m_data.size(); }
    const QByteArray &data() const { return m_data; }

private:
    template<typename T>
    Bytes &put(T v)
    {
        char b[sizeof(T)];
        qToLittleEndian(v, b);
        m_data.append(b, sizeof(T));
        return *this;
    }
    QByteArray m_data;
};

inline quint32 colorRef(QRgb c)
{
    return quint32(qRed(c)) | (quint32(qGreen(c)) << 8) | (quint32(qBlue(c)) << 16);
}

// A DIB: BITMAPINFOHEADER and colour table (info) and the pixel rows (bits).
struct Dib {
    QByteArray info;
    QByteArray bits;
    QByteArray packed() const { return info + bits; }
};

// Pixels come from pixel(x, y) counted from the top; rows are written
// bottom-up unless topDown. Depths 1, 4 and 8 use palette, which must hold
// every colour pixel() returns.
inline Dib makeDib(int w, int h, int bpp, const std::function<QRgb(int, int)> &pixel,
                   const QList<QRgb> &palette = {}, bool topDown = false, quint32 compression = 0)
{
    Dib dib;
    Bytes info;
    info.u32(40).i32(w).i32(topDown ? -h : h).u16(1).u16(quint16(bpp)).u32(compression);
    info.u32(0).i32(3780).i32(3780).u32(bpp <= 8 ? quint32(palette.size()) : 0).u32(0);
    if (compression == 3) // bit fields: 5-6-5 for 16 bits, 8-8-8 for 32
        bpp == 16 ? info.u32(0xF800).u32(0x07E0).u32(0x001F)
                  : info.u32(0xFF0000).u32(0x00FF00).u32(0x0000FF);
    if (bpp <= 8) {
        for (QRgb c : palette)
            info.u8(quint8(qBlue(c))).u8(quint8(qGreen(c))).u8(quint8(qRed(c))).u8(0);
    }
    dib.info = info.data();
    const int stride = ((w * bpp + 31) / 32) * 4;
    QByteArray bits(qsizetype(stride) * h, '\0');
    for (int row = 0; row < h; ++row) {
        const int y = topDown ? row : h - 1 - row;
        auto *line = reinterpret_cast<uchar *>(bits.data()) + qsizetype(row) * stride;
        for (int x = 0; x < w; ++x) {
            const QRgb c = pixel(x, y);
            const int index = int(palette.indexOf(c | 0xFF000000) >= 0
                                      ? palette.indexOf(c | 0xFF000000)
                                      : palette.indexOf(c));
            switch (bpp) {
            case 1: line[x / 8] |= uchar((index & 1) << (7 - x % 8)); break;
            case 4: line[x / 2] |= uchar((x % 2) ? index : index << 4); break;
            case 8: line[x] = uchar(index); break;
            case 16: {
                const quint16 v = compression == 3
                    ? quint16(((qRed(c) >> 3) << 11) | ((qGreen(c) >> 2) << 5) | (qBlue(c) >> 3))
                    : quint16(((qRed(c) >> 3) << 10) | ((qGreen(c) >> 3) << 5) | (qBlue(c) >> 3));
                qToLittleEndian(v, line + 2 * x);
                break;
            }
            case 24:
                line[3 * x] = uchar(qBlue(c));
                line[3 * x + 1] = uchar(qGreen(c));
                line[3 * x + 2] = uchar(qRed(c));
                break;
            default:
                line[4 * x] = uchar(qBlue(c));
                line[4 * x + 1] = uchar(qGreen(c));
                line[4 * x + 2] = uchar(qRed(c));
                line[4 * x + 3] = uchar(qAlpha(c));
                break;
            }
        }
    }
    dib.bits = bits;
    return dib;
}

// Enhanced metafile. The reference device is 96 dpi (960 pixels on 254 mm),
// so logical units of MM_TEXT are output pixels when the frame starts at 0.
class EmfWriter {
public:
    // frame in 0.01 mm; pixelsToFrame() converts a size in pixels.
    explicit EmfWriter(QRect frame, quint16 handles = 16, QRect bounds = {})
        : m_frame(frame), m_bounds(bounds), m_handles(handles)
    {
    }
    static QRect pixelFrame(int w, int h) { return QRect(QPoint(0, 0), QPoint(w * 2540 / 96, h * 2540 / 96)); }

    void record(quint32 type, const Bytes &payload = {})
    {
        Bytes b;
        b.raw(payload.data()).pad4();
        Bytes r;
        r.u32(type).u32(quint32(b.size() + 8)).raw(b.data());
        m_records.append(r.data());
        ++m_count;
    }
    // Appends bytes verbatim, for damaged records.
    void rawRecord(const QByteArray &bytes)
    {
        m_records.append(bytes);
        ++m_count;
    }

    void u32Record(quint32 type, quint32 v) { record(type, Bytes().u32(v)); }
    void pointRecord(quint32 type, int x, int y) { record(type, Bytes().i32(x).i32(y)); }
    void rectRecord(quint32 type, int l, int t, int r, int b) { record(type, Bytes().rectL(l, t, r, b)); }

    void createPen(quint32 index, quint32 style, int width, QRgb color)
    {
        record(38, Bytes().u32(index).u32(style).i32(width).i32(0).u32(colorRef(color)));
    }
    void createBrush(quint32 index, quint32 style, QRgb color, quint32 hatch = 0)
    {
        record(39, Bytes().u32(index).u32(style).u32(colorRef(color)).u32(hatch));
    }
    void select(quint32 index) { u32Record(37, index); }
    void deleteObject(quint32 index) { u32Record(40, index); }
    void solidBrush(quint32 index, QRgb color)
    {
        createBrush(index, 0, color);
        select(index);
    }
    void nullPen() { select(0x80000008); }
    void rectangle(int l, int t, int r, int b) { rectRecord(43, l, t, r, b); }
    void ellipse(int l, int t, int r, int b) { rectRecord(42, l, t, r, b); }
    void polygon16(const QList<QPoint> &points, quint32 type = 86)
    {
        Bytes b;
        b.rectL(0, 0, 0, 0).u32(quint32(points.size()));
        for (QPoint p : points)
            b.i16(qint16(p.x())).i16(qint16(p.y()));
        record(type, b);
    }
    void polyPolygon16(const QList<QList<QPoint>> &polys)
    {
        Bytes b;
        qsizetype total = 0;
        for (const auto &p : polys)
            total += p.size();
        b.rectL(0, 0, 0, 0).u32(quint32(polys.size())).u32(quint32(total));
        for (const auto &p : polys)
            b.u32(quint32(p.size()));
        for (const auto &p : polys)
            for (QPoint q : p)
                b.i16(qint16(q.x())).i16(qint16(q.y()));
        record(91, b);
    }
    void font(quint32 index, int height, const QString &face, int weight = 400, int escapement = 0,
              int charset = 0)
    {
        Bytes b;
        b.u32(index).i32(height).i32(0).i32(escapement).i32(escapement).i32(weight);
        b.u8(0).u8(0).u8(0).u8(quint8(charset)).u8(0).u8(0).u8(0).u8(0);
        for (int i = 0; i < 32; ++i)
            b.u16(i < face.size() ? face[i].unicode() : 0);
        record(82, b);
    }
    void textW(int x, int y, const QString &text, const QList<int> &dx = {}, quint32 options = 0,
               QRect rect = {})
    {
        const quint32 offString = 8 + 16 + 12 + 40;
        const quint32 stringBytes = quint32(text.size() * 2 + 3) & ~3u;
        Bytes b;
        b.rectL(0, 0, -1, -1).u32(1).f32(1).f32(1);
        b.i32(x).i32(y).u32(quint32(text.size())).u32(offString).u32(options);
        b.rectL(rect.left(), rect.top(), rect.right() + 1, rect.bottom() + 1);
        b.u32(dx.isEmpty() ? 0 : offString + stringBytes);
        for (QChar c : text)
            b.u16(c.unicode());
        b.pad4();
        for (int d : dx)
            b.i32(d);
        record(84, b);
    }
    // STRETCHDIBITS of the whole bitmap onto (x, y, w, h).
    void stretchDib(int x, int y, int w, int h, const Dib &dib, int srcW, int srcH,
                    quint32 rop = 0x00CC0020)
    {
        const quint32 offInfo = 8 + 72;
        const quint32 offBits = offInfo + quint32(dib.info.size());
        Bytes b;
        b.rectL(0, 0, 0, 0).i32(x).i32(y).i32(0).i32(0).i32(srcW).i32(srcH);
        b.u32(offInfo).u32(quint32(dib.info.size())).u32(offBits).u32(quint32(dib.bits.size()));
        b.u32(0).u32(rop).i32(w).i32(h);
        b.raw(dib.info).raw(dib.bits);
        record(81, b);
    }
    // BITBLT / STRETCHBLT / ALPHABLEND family (types 76, 77, 114).
    void blt(quint32 type, int x, int y, int w, int h, quint32 rop, const Dib &dib, int srcW, int srcH)
    {
        const bool stretch = type != 76;
        const quint32 offInfo = 8 + 92 + (stretch ? 8 : 0);
        const quint32 offBits = offInfo + quint32(dib.info.size());
        Bytes b;
        b.rectL(0, 0, 0, 0).i32(x).i32(y).i32(w).i32(h).u32(rop).i32(0).i32(0);
        b.f32(1).f32(0).f32(0).f32(1).f32(0).f32(0).u32(0).u32(0);
        b.u32(dib.info.isEmpty() ? 0 : offInfo).u32(quint32(dib.info.size()));
        b.u32(dib.info.isEmpty() ? 0 : offBits).u32(quint32(dib.bits.size()));
        if (stretch)
            b.i32(srcW).i32(srcH);
        b.raw(dib.info).raw(dib.bits);
        record(type, b);
    }

    QByteArray finish()
    {
        record(14, Bytes().u32(0).u32(16).u32(20));
        QByteArray body;
        for (const QByteArray &r : m_records)
            body += r;
        Bytes h;
        const QRect bounds = m_bounds.isNull() ? QRect(0, 0, 100, 100) : m_bounds;
        h.u32(1).u32(108).rectL(bounds.left(), bounds.top(), bounds.right(), bounds.bottom());
        h.rectL(m_frame.left(), m_frame.top(), m_frame.right(), m_frame.bottom());
        h.u32(0x464D4520).u32(0x10000).u32(quint32(108 + body.size())).u32(quint32(m_count + 1));
        h.u16(m_handles).u16(0).u32(0).u32(0).u32(0);
        h.i32(960).i32(960).i32(254).i32(254);
        h.u32(0).u32(0).u32(0).i32(254000).i32(254000);
        return h.data() + body;
    }

private:
    QRect m_frame;
    QRect m_bounds;
    quint16 m_handles;
    QList<QByteArray> m_records;
    int m_count = 0;
};

// Sixteen-bit metafile, placeable or plain.
class WmfWriter {
public:
    WmfWriter(bool placeable, QRect box, quint16 unitsPerInch, quint16 objects = 8)
        : m_placeable(placeable), m_box(box), m_inch(unitsPerInch), m_objects(objects)
    {
    }
    void record(quint16 function, const Bytes &params = {})
    {
        Bytes b;
        b.raw(params.data());
        if (b.size() % 2)
            b.u8(0);
        Bytes r;
        r.u32(quint32(3 + b.size() / 2)).u16(function).raw(b.data());
        m_body.append(r.data());
        m_largest = qMax<quint32>(m_largest, quint32(3 + b.size() / 2));
    }
    void rawRecord(const QByteArray &bytes) { m_body.append(bytes); }

    void windowOrg(int x, int y) { record(0x020B, Bytes().i16(qint16(y)).i16(qint16(x))); }
    void windowExt(int x, int y) { record(0x020C, Bytes().i16(qint16(y)).i16(qint16(x))); }
    void createBrush(quint16 style, QRgb color, quint16 hatch = 0)
    {
        record(0x02FC, Bytes().u16(style).u32(colorRef(color)).u16(hatch));
    }
    void createPen(quint16 style, int width, QRgb color)
    {
        record(0x02FA, Bytes().u16(style).i16(qint16(width)).i16(0).u32(colorRef(color)));
    }
    void select(quint16 index) { record(0x012D, Bytes().u16(index)); }
    void deleteObject(quint16 index) { record(0x01F0, Bytes().u16(index)); }
    void rectangle(int l, int t, int r, int b)
    {
        record(0x041B, Bytes().i16(qint16(b)).i16(qint16(r)).i16(qint16(t)).i16(qint16(l)));
    }
    void ellipse(int l, int t, int r, int b)
    {
        record(0x0418, Bytes().i16(qint16(b)).i16(qint16(r)).i16(qint16(t)).i16(qint16(l)));
    }
    void polygon(const QList<QPoint> &points)
    {
        Bytes b;
        b.i16(qint16(points.size()));
        for (QPoint p : points)
            b.i16(qint16(p.x())).i16(qint16(p.y()));
        record(0x0324, b);
    }
    void font(int height, const QByteArray &face, int weight = 400, int charset = 0)
    {
        Bytes b;
        b.i16(qint16(height)).i16(0).i16(0).i16(0).i16(qint16(weight));
        b.u8(0).u8(0).u8(0).u8(quint8(charset)).u8(0).u8(0).u8(0).u8(0);
        b.raw(face).u8(0);
        record(0x02FB, b);
    }
    void textOut(int x, int y, const QByteArray &text)
    {
        Bytes b;
        b.i16(qint16(text.size())).raw(text);
        if (text.size() % 2)
            b.u8(0);
        b.i16(qint16(y)).i16(qint16(x));
        record(0x0521, b);
    }
    void stretchDib(int x, int y, int w, int h, const Dib &dib, int srcW, int srcH,
                    quint32 rop = 0x00CC0020)
    {
        Bytes b;
        b.u32(rop).u16(0).i16(qint16(srcH)).i16(qint16(srcW)).i16(0).i16(0);
        b.i16(qint16(h)).i16(qint16(w)).i16(qint16(y)).i16(qint16(x)).raw(dib.packed());
        record(0x0F43, b);
    }

    QByteArray finish()
    {
        record(0x0000);
        Bytes out;
        if (m_placeable) {
            Bytes p;
            p.u32(0x9AC6CDD7).u16(0).i16(qint16(m_box.left())).i16(qint16(m_box.top()));
            p.i16(qint16(m_box.right())).i16(qint16(m_box.bottom())).u16(m_inch).u32(0);
            quint16 sum = 0;
            for (int i = 0; i < 10; ++i)
                sum ^= qFromLittleEndian<quint16>(p.data().constData() + 2 * i);
            p.u16(sum);
            out.raw(p.data());
        }
        QByteArray body;
        for (const QByteArray &r : m_body)
            body += r;
        out.u16(1).u16(9).u16(0x0300).u32(quint32(9 + body.size() / 2)).u16(m_objects);
        out.u32(m_largest).u16(0).raw(body);
        return out.data();
    }

private:
    bool m_placeable;
    QRect m_box; // right and bottom as given: QRect(QPoint(l, t), QPoint(r, b))
    quint16 m_inch;
    quint16 m_objects;
    QList<QByteArray> m_body;
    quint32 m_largest = 3;
};

// A 100 x 100 pixel EMF whose logical units are pixels, with a null pen
// and a red brush selected.
inline EmfWriter redCanvas(quint16 handles = 16)
{
    EmfWriter w(EmfWriter::pixelFrame(100, 100), handles);
    w.nullPen();
    w.solidBrush(1, 0xFFFF0000);
    return w;
}

// A 100 x 100 placeable WMF (96 units per inch) with a null pen in slot 0
// and a red brush in slot 1, both selected.
inline WmfWriter redWmf(quint16 objects = 8)
{
    WmfWriter w(true, QRect(QPoint(0, 0), QPoint(100, 100)), 96, objects);
    w.createPen(5, 0, 0);
    w.select(0);
    w.createBrush(0, 0xFFFF0000);
    w.select(1);
    return w;
}

} // namespace mftest
