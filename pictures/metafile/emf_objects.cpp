// Enhanced metafile: creating, selecting and deleting drawing objects.

#include "pictures/metafile/emf_player_p.h"
#include "pictures/metafile/emf_records.h"

namespace pictures::metafile {

namespace {

// Pattern brushes beyond this are no pattern; they only cost memory.
constexpr qint64 kMaxPatternPixels = 1024 * 1024;
constexpr quint32 kMaxStyleEntries = 16;

Font readLogFontW(Reader &r)
{
    Font f;
    f.height = r.i32();
    f.width = r.i32();
    f.escapement = r.i32();
    r.i32(); // orientation
    f.weight = r.i32();
    f.italic = r.u8();
    f.underline = r.u8();
    f.strikeOut = r.u8();
    f.charset = r.u8();
    r.skip(3);
    f.pitchAndFamily = r.u8();
    QString face;
    for (int i = 0; i < 32 && r.has(2); ++i) {
        const char16_t c = r.u16();
        if (c == 0)
            break;
        face.append(QChar(c));
    }
    f.face = face;
    return f;
}

} // namespace

QImage EmfPlayer::bitmap(const Reader &rec, quint32 offInfo, quint32 cbInfo, quint32 offBits,
                         quint32 cbBits, quint32 usage, bool keepAlpha, bool *bottomUp) const
{
    const Reader info = rec.sub(offInfo, cbInfo);
    const Reader bits = rec.sub(offBits, cbBits);
    if (!info.ok() || !bits.ok() || cbInfo == 0)
        return {};
    if (bottomUp)
        *bottomUp = dibIsBottomUp(info);
    DibOptions options;
    options.paletteIndices = usage == 1;
    options.keepAlpha = keepAlpha;
    options.maxPixels = m_maxBitmapPixels;
    options.palette = m_palette;
    options.meter = m_canvas.meter();
    return decodeDib(info, bits, options);
}

void EmfPlayer::select(quint32 index)
{
    DcState &s = m_canvas.state();
    GdiObject stock;
    const GdiObject *object = nullptr;
    if (index & 0x80000000) {
        stock = stockObject(index);
        object = &stock;
    } else {
        object = m_objects.get(qsizetype(index));
    }
    if (!object)
        return; // an index the file never filled: the platform ignores it too
    if (const auto *pen = std::get_if<Pen>(object))
        s.pen = *pen;
    else if (const auto *brush = std::get_if<Brush>(object))
        s.brush = *brush;
    else if (const auto *font = std::get_if<Font>(object))
        s.font = *font;
}

bool EmfPlayer::playObject(quint32 type, const Reader &rec, Reader &r)
{
    switch (type) {
    case emf::SelectObject: {
        const quint32 index = r.u32();
        if (r.ok())
            select(index);
        return true;
    }
    case emf::DeleteObject: {
        const quint32 index = r.u32();
        if (r.ok() && !(index & 0x80000000))
            m_objects.remove(qsizetype(index));
        return true;
    }
    case emf::CreatePen: {
        const quint32 index = r.u32();
        Pen pen;
        pen.style = r.u32() & (penstyle::StyleMask | penstyle::EndCapMask | penstyle::JoinMask);
        pen.width = r.i32();
        r.i32();
        pen.color = colorFromRef(r.u32());
        if (r.ok())
            m_objects.put(qsizetype(index), pen);
        return true;
    }
    case emf::ExtCreatePen: {
        const quint32 index = r.u32();
        r.skip(16); // a pattern bitmap for the pen's brush; the pen's colour stands in
        Pen pen;
        pen.style = r.u32();
        pen.width = r.u32();
        const quint32 brushStyle = r.u32();
        pen.color = colorFromRef(r.u32());
        r.u32(); // hatch
        const quint32 entries = r.u32();
        for (quint32 i = 0; i < qMin(entries, kMaxStyleEntries) && r.has(4); ++i)
            pen.dashes.append(r.u32());
        if (brushStyle == quint32(brushstyle::Null))
            pen.style = (pen.style & ~penstyle::StyleMask) | penstyle::Null;
        if (r.ok())
            m_objects.put(qsizetype(index), pen);
        return true;
    }
    case emf::CreateBrushIndirect: {
        const quint32 index = r.u32();
        Brush brush;
        const quint32 style = r.u32();
        brush.color = colorFromRef(r.u32());
        brush.hatch = int(r.u32());
        brush.style = style == quint32(brushstyle::Null) || style == quint32(brushstyle::Hatched)
                          ? int(style)
                          : brushstyle::Solid;
        if (r.ok())
            m_objects.put(qsizetype(index), brush);
        return true;
    }
    case emf::CreateDibPatternBrushPt:
    case emf::CreateMonoBrush: {
        const quint32 index = r.u32();
        const quint32 usage = r.u32();
        const quint32 offInfo = r.u32(), cbInfo = r.u32(), offBits = r.u32(), cbBits = r.u32();
        if (!r.ok())
            return true;
        Brush brush;
        brush.style = brushstyle::DibPatternPt;
        brush.color = Qt::black;
        DibOptions options;
        options.paletteIndices = usage == 1;
        options.maxPixels = kMaxPatternPixels;
        options.palette = m_palette;
        options.meter = m_canvas.meter();
        brush.pattern = decodeDib(rec.sub(offInfo, cbInfo), rec.sub(offBits, cbBits), options);
        m_objects.put(qsizetype(index), brush);
        return true;
    }
    case emf::ExtCreateFontIndirectW: {
        const quint32 index = r.u32();
        const Font font = readLogFontW(r);
        if (r.ok())
            m_objects.put(qsizetype(index), font);
        return true;
    }
    case emf::CreatePalette: {
        const quint32 index = r.u32();
        r.u16(); // version
        const quint16 count = r.u16();
        Palette palette;
        for (quint16 i = 0; i < count && r.has(4); ++i) {
            const int red = r.u8(), green = r.u8(), blue = r.u8();
            r.u8();
            palette.colors.append(qRgb(red, green, blue));
        }
        if (r.ok())
            m_objects.put(qsizetype(index), palette);
        return true;
    }
    case emf::SelectPalette: {
        const quint32 index = r.u32();
        const GdiObject *object = r.ok() ? m_objects.get(qsizetype(index)) : nullptr;
        if (const auto *palette = object ? std::get_if<Palette>(object) : nullptr)
            m_palette = palette->colors;
        return true;
    }
    default: return false;
    }
}

} // namespace pictures::metafile
