// Sixteen-bit metafile: the object table, regions and clipping.
//
// The format's table rules: a new object takes the lowest free slot, there
// are only as many slots as the header announces, and an index names
// whatever occupies the slot at the time.

#include "pictures/metafile/font_match.h"
#include "pictures/metafile/wmf_player_p.h"
#include "pictures/metafile/wmf_records.h"

namespace pictures::metafile {

namespace {

constexpr qint64 kMaxPatternPixels = 1024 * 1024;

Font readFont(Reader &r)
{
    Font f;
    f.height = r.i16();
    f.width = r.i16();
    f.escapement = r.i16();
    r.i16(); // orientation
    f.weight = r.i16();
    f.italic = r.u8();
    f.underline = r.u8();
    f.strikeOut = r.u8();
    f.charset = r.u8();
    r.skip(3);
    f.pitchAndFamily = r.u8();
    QByteArray face;
    for (int i = 0; i < 32 && r.has(1); ++i) {
        const char c = char(r.u8());
        if (c == 0)
            break;
        face.append(c);
    }
    f.face = decodeNarrow(face, f.charset);
    return f;
}

bool readRegionObject(Reader &r, Region *region)
{
    r.skip(2 + 2 + 4 + 2); // chain, type, count, size
    const qint16 scans = r.i16();
    r.i16(); // largest scan
    const qint16 left = r.i16(), top = r.i16(), right = r.i16(), bottom = r.i16();
    if (!r.ok())
        return false;
    if (scans <= 0) {
        if (right > left && bottom > top)
            region->rects.append(QRectF(QPointF(left, top), QPointF(right, bottom)));
        return true;
    }
    for (int s = 0; s < scans; ++s) {
        const quint16 count = r.u16();
        const qint16 scanTop = r.i16(), scanBottom = r.i16();
        if (!r.has(qint64(count) * 2 + 2))
            return false;
        for (int i = 0; i + 1 < count; i += 2) {
            const qint16 l = r.i16(), rr = r.i16();
            if (rr > l && scanBottom > scanTop)
                region->rects.append(QRectF(QPointF(l, scanTop), QPointF(rr, scanBottom)));
        }
        if (count % 2)
            r.skip(2);
        r.u16(); // the count again
    }
    return r.ok();
}

// The old device-dependent monochrome bitmap of a pattern brush.
QImage readBitmap16Pattern(Reader &r)
{
    return readBitmap16(r, kMaxPatternPixels, 18);
}

} // namespace

QImage readBitmap16(Reader &r, qint64 maxPixels, int reservedBytes)
{
    r.i16(); // type
    const qint16 width = r.i16(), height = r.i16(), widthBytes = r.i16();
    const quint8 planes = r.u8(), bitsPixel = r.u8();
    r.skip(reservedBytes);
    // Rows run top down; colour ones hold blue, green, red (and a spare byte).
    const int bytesPerPixel = bitsPixel / 8;
    if (!r.ok() || width <= 0 || height <= 0 || planes != 1
        || (bitsPixel != 1 && bitsPixel != 24 && bitsPixel != 32)
        || widthBytes < (bitsPixel == 1 ? (width + 7) / 8 : width * bytesPerPixel)
        || qint64(width) * height > maxPixels || !r.has(qint64(widthBytes) * height))
        return {};
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull())
        return {};
    for (int y = 0; y < height; ++y) {
        const auto *row = reinterpret_cast<const uchar *>(r.current()) + qsizetype(y) * widthBytes;
        auto *out = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            if (bitsPixel == 1) {
                out[x] = (row[x / 8] >> (7 - x % 8)) & 1 ? 0xFFFFFFFF : 0xFF000000;
            } else {
                const uchar *p = row + qsizetype(x) * bytesPerPixel;
                out[x] = qRgb(p[2], p[1], p[0]);
            }
        }
    }
    return image;
}

const Region *WmfPlayer::region(quint16 index) const
{
    const GdiObject *object = m_objects.get(index);
    return object ? std::get_if<Region>(object) : nullptr;
}

QImage WmfPlayer::packedDib(Reader r, quint16 usage) const
{
    DibOptions options;
    options.paletteIndices = usage == 1;
    options.maxPixels = m_maxBitmapPixels;
    options.palette = m_palette;
    options.meter = m_canvas.meter();
    return decodePackedDib(r.rest(), options);
}

bool WmfPlayer::playObject(quint16 function, Reader &r)
{
    DcState &s = m_canvas.state();
    switch (function) {
    case wmf::SelectObject: {
        const quint16 index = r.u16();
        const GdiObject *object = r.ok() ? m_objects.get(index) : nullptr;
        if (!object)
            return true;
        if (const auto *pen = std::get_if<Pen>(object))
            s.pen = *pen;
        else if (const auto *brush = std::get_if<Brush>(object))
            s.brush = *brush;
        else if (const auto *font = std::get_if<Font>(object))
            s.font = *font;
        else if (const auto *area = std::get_if<Region>(object)) {
            // Selecting a region sets the clip, as the platform does.
            const QRegion clip = m_canvas.regionFromLogical(*area);
            m_canvas.selectClipRegion(&clip, 5);
        }
        return true;
    }
    case wmf::SelectPalette: {
        const quint16 index = r.u16();
        const GdiObject *object = r.ok() ? m_objects.get(index) : nullptr;
        if (const auto *palette = object ? std::get_if<Palette>(object) : nullptr)
            m_palette = palette->colors;
        return true;
    }
    case wmf::DeleteObject: {
        const quint16 index = r.u16();
        if (r.ok())
            m_objects.remove(index);
        return true;
    }
    case wmf::CreatePenIndirect: {
        Pen pen;
        pen.style = r.u16();
        pen.width = r.i16();
        r.i16();
        pen.color = colorFromRef(r.u32());
        if (r.ok())
            m_objects.putInFreeSlot(pen);
        return true;
    }
    case wmf::CreateBrushIndirect: {
        Brush brush;
        const quint16 style = r.u16();
        brush.color = colorFromRef(r.u32());
        brush.hatch = r.u16();
        brush.style = style == brushstyle::Null || style == brushstyle::Hatched ? style
                                                                                : brushstyle::Solid;
        if (r.ok())
            m_objects.putInFreeSlot(brush);
        return true;
    }
    case wmf::DibCreatePatternBrush:
    case wmf::CreatePatternBrush: {
        Brush brush;
        brush.style = brushstyle::DibPatternPt;
        brush.color = Qt::black;
        if (function == wmf::CreatePatternBrush) {
            brush.pattern = readBitmap16Pattern(r);
        } else {
            // Whatever the style, a device-independent bitmap follows; the
            // pattern style only rules out palette indices.
            const quint16 style = r.u16();
            const quint16 usage = r.u16();
            DibOptions options;
            options.paletteIndices = usage == 1 && style != brushstyle::Pattern;
            options.maxPixels = kMaxPatternPixels;
            options.palette = m_palette;
            options.meter = m_canvas.meter();
            brush.pattern = decodePackedDib(r.rest(), options);
        }
        // Even an unreadable pattern takes its slot, or later indices would shift.
        m_objects.putInFreeSlot(brush);
        return true;
    }
    case wmf::CreateFontIndirect: {
        const Font font = readFont(r);
        m_objects.putInFreeSlot(font);
        return true;
    }
    case wmf::CreatePalette: {
        r.u16();
        const quint16 count = r.u16();
        Palette palette;
        for (int i = 0; i < count && r.has(4); ++i) {
            const int red = r.u8(), green = r.u8(), blue = r.u8();
            r.u8();
            palette.colors.append(qRgb(red, green, blue));
        }
        m_objects.putInFreeSlot(palette);
        return true;
    }
    case wmf::CreateRegion: {
        Region area;
        if (!readRegionObject(r, &area))
            area.rects.clear();
        m_objects.putInFreeSlot(area);
        return true;
    }
    default: return false;
    }
}

bool WmfPlayer::playRegion(quint16 function, Reader &r)
{
    switch (function) {
    case wmf::IntersectClipRect:
    case wmf::ExcludeClipRect: {
        const QRectF box = readReversedRect(r);
        if (r.ok())
            function == wmf::IntersectClipRect ? m_canvas.intersectClipRect(box)
                                               : m_canvas.excludeClipRect(box);
        return true;
    }
    case wmf::OffsetClipRgn: {
        const QPointF d = readReversedPoint(r);
        if (r.ok())
            m_canvas.offsetClip(d);
        return true;
    }
    case wmf::SelectClipRegion: {
        // Writers record "no clip" as an empty or missing region.
        const quint16 index = r.u16();
        const Region *area = r.ok() ? region(index) : nullptr;
        if (!area || area->rects.isEmpty()) {
            m_canvas.selectClipRegion(nullptr, 5);
        } else {
            const QRegion clip = m_canvas.regionFromLogical(*area);
            m_canvas.selectClipRegion(&clip, 5);
        }
        return true;
    }
    case wmf::FillRegion:
    case wmf::FrameRegion:
    case wmf::PaintRegion:
    case wmf::InvertRegion: {
        const quint16 regionIndex = r.u16();
        Brush brush = m_canvas.state().brush;
        QSizeF frame;
        if (function == wmf::FillRegion || function == wmf::FrameRegion) {
            const GdiObject *object = m_objects.get(r.u16());
            const Brush *chosen = object ? std::get_if<Brush>(object) : nullptr;
            if (!chosen)
                return true;
            brush = *chosen;
        }
        if (function == wmf::FrameRegion) {
            const qint16 h = r.i16(), w = r.i16();
            frame = QSizeF(w, h);
        }
        const Region *area = r.ok() ? region(regionIndex) : nullptr;
        if (!area)
            return true;
        const QRegion output = m_canvas.regionFromLogical(*area);
        if (function == wmf::InvertRegion)
            m_canvas.invertRegion(output);
        else if (function == wmf::FrameRegion)
            m_canvas.frameRegion(output, brush, frame);
        else
            m_canvas.fillRegion(output, brush);
        return true;
    }
    default: return false;
    }
}

} // namespace pictures::metafile
