// Enhanced metafile: lines, curves, shapes, paths, clipping and regions.

#include "pictures/metafile/emf_player_p.h"
#include "pictures/metafile/emf_records.h"

namespace pictures::metafile {

namespace {

bool isSmall(quint32 type)
{
    return type >= emf::PolyBezier16 && type <= emf::PolyDraw16;
}

} // namespace

bool EmfPlayer::playShape(quint32 type, Reader &r)
{
    switch (type) {
    case emf::PolyBezier:
    case emf::Polygon:
    case emf::Polyline:
    case emf::PolyBezierTo:
    case emf::PolylineTo:
    case emf::PolyBezier16:
    case emf::Polygon16:
    case emf::Polyline16:
    case emf::PolyBezierTo16:
    case emf::PolylineTo16: {
        r.skip(16); // bounds
        const quint32 count = r.u32();
        const QPolygonF points = readPoints(r, count, isSmall(type));
        if (points.isEmpty())
            return true;
        switch (type) {
        case emf::PolyBezier:
        case emf::PolyBezier16: m_canvas.polyBezier(points); break;
        case emf::Polygon:
        case emf::Polygon16: m_canvas.polygon(points); break;
        case emf::Polyline:
        case emf::Polyline16: m_canvas.polyline(points); break;
        case emf::PolyBezierTo:
        case emf::PolyBezierTo16: m_canvas.polyBezierTo(points); break;
        default: m_canvas.polylineTo(points); break;
        }
        return true;
    }
    case emf::PolyPolyline:
    case emf::PolyPolygon:
    case emf::PolyPolyline16:
    case emf::PolyPolygon16: {
        r.skip(16);
        const quint32 polys = r.u32();
        const quint32 total = r.u32();
        if (!r.has(qint64(polys) * 4))
            return true;
        QList<quint32> counts;
        qint64 sum = 0;
        for (quint32 i = 0; i < polys; ++i) {
            counts.append(r.u32());
            sum += counts.last();
        }
        if (sum > total)
            return true; // the counts claim more points than the record has
        const QPolygonF all = readPoints(r, total, isSmall(type));
        if (all.size() != qsizetype(total))
            return true;
        QList<QPolygonF> parts;
        qsizetype at = 0;
        for (quint32 c : counts) {
            parts.append(all.mid(at, c));
            at += c;
        }
        if (type == emf::PolyPolygon || type == emf::PolyPolygon16)
            m_canvas.polyPolygon(parts);
        else
            m_canvas.polyPolyline(parts);
        return true;
    }
    case emf::PolyDraw:
    case emf::PolyDraw16: {
        r.skip(16);
        const quint32 count = r.u32();
        const QPolygonF points = readPoints(r, count, type == emf::PolyDraw16);
        if (points.isEmpty() || !r.has(count))
            return true;
        m_canvas.polyDraw(points, QByteArray(r.current(), qsizetype(count)));
        return true;
    }
    case emf::LineTo: {
        const QPointF p = readPointL(r);
        if (r.ok())
            m_canvas.lineTo(p);
        return true;
    }
    case emf::Rectangle:
    case emf::Ellipse: {
        const QRectF box = readRectL(r);
        if (r.ok())
            type == emf::Rectangle ? m_canvas.rectangle(box) : m_canvas.ellipse(box);
        return true;
    }
    case emf::RoundRect: {
        const QRectF box = readRectL(r);
        const qint32 w = r.i32(), h = r.i32();
        if (r.ok())
            m_canvas.roundRect(box, QSizeF(w, h));
        return true;
    }
    case emf::Arc:
    case emf::ArcTo:
    case emf::Chord:
    case emf::Pie: {
        const QRectF box = readRectL(r);
        const QPointF start = readPointL(r), end = readPointL(r);
        if (!r.ok())
            return true;
        const ArcKind kind = type == emf::Arc     ? ArcKind::Arc
                             : type == emf::ArcTo ? ArcKind::ArcTo
                             : type == emf::Chord ? ArcKind::Chord
                                                  : ArcKind::Pie;
        m_canvas.arc(box, start, end, kind);
        return true;
    }
    case emf::AngleArc: {
        const QPointF center = readPointL(r);
        const quint32 radius = r.u32();
        const float start = r.f32(), sweep = r.f32();
        if (r.ok())
            m_canvas.angleArc(center, radius, start, sweep);
        return true;
    }
    case emf::SetPixelV: {
        const QPointF p = readPointL(r);
        const quint32 color = r.u32();
        if (r.ok())
            m_canvas.setPixel(p, colorFromRef(color));
        return true;
    }
    default: return false;
    }
}

bool EmfPlayer::playPath(quint32 type, Reader &r)
{
    switch (type) {
    case emf::BeginPath: m_canvas.beginPath(); return true;
    case emf::EndPath: m_canvas.endPath(); return true;
    case emf::CloseFigure: m_canvas.closeFigure(); return true;
    case emf::AbortPath: m_canvas.abortPath(); return true;
    case emf::FillPath: m_canvas.fillPath(); return true;
    case emf::StrokePath: m_canvas.strokePath(); return true;
    case emf::StrokeAndFillPath: m_canvas.strokeAndFillPath(); return true;
    case emf::FlattenPath: return true; // Qt flattens when it draws
    case emf::WidenPath: m_canvas.widenPath(); return true;
    case emf::SelectClipPath: {
        const quint32 mode = r.u32();
        if (r.ok())
            m_canvas.selectClipPath(int(mode));
        return true;
    }
    default: return false;
    }
}

bool EmfPlayer::readRegion(Reader r, quint32 size, Region *region) const
{
    Reader data = r.sub(r.pos(), size);
    const quint32 headerSize = data.u32();
    data.u32(); // type
    const quint32 count = data.u32();
    data.u32();
    data.skip(16); // bounds
    if (!data.ok() || headerSize < 32)
        return false;
    data.seek(headerSize);
    if (!data.has(qint64(count) * 16))
        return false;
    for (quint32 i = 0; i < count; ++i) {
        const qint32 l = data.i32(), t = data.i32(), rr = data.i32(), b = data.i32();
        region->rects.append(QRectF(QPointF(l, t), QPointF(rr, b)));
    }
    return true;
}

bool EmfPlayer::playRegion(quint32 type, Reader &r)
{
    switch (type) {
    case emf::IntersectClipRect:
    case emf::ExcludeClipRect: {
        const QRectF box = readRectL(r);
        if (r.ok())
            type == emf::IntersectClipRect ? m_canvas.intersectClipRect(box)
                                           : m_canvas.excludeClipRect(box);
        return true;
    }
    case emf::OffsetClipRgn: {
        const QPointF d = readPointL(r);
        if (r.ok())
            m_canvas.offsetClip(d);
        return true;
    }
    case emf::SetMetaRgn: m_canvas.setMetaRegion(); return true;
    case emf::ExtSelectClipRgn: {
        const quint32 size = r.u32();
        const quint32 mode = r.u32();
        if (!r.ok())
            return true;
        Region region;
        if (size < 32 || !readRegion(r, size, &region)) {
            m_canvas.selectClipRegion(nullptr, int(mode));
            return true;
        }
        const QRegion clip = m_canvas.regionFromDevice(region);
        m_canvas.selectClipRegion(&clip, int(mode));
        return true;
    }
    case emf::FillRgn:
    case emf::FrameRgn:
    case emf::PaintRgn:
    case emf::InvertRgn: {
        r.skip(16);
        const quint32 size = r.u32();
        Brush brush = m_canvas.state().brush;
        QSizeF frame;
        if (type == emf::FillRgn || type == emf::FrameRgn) {
            const quint32 index = r.u32();
            const GdiObject stock = stockObject(index);
            const GdiObject *object = index & 0x80000000 ? &stock : m_objects.get(qsizetype(index));
            const Brush *chosen = object ? std::get_if<Brush>(object) : nullptr;
            if (!chosen)
                return true;
            brush = *chosen;
        }
        if (type == emf::FrameRgn) {
            const qint32 w = r.i32(), h = r.i32();
            frame = QSizeF(w, h);
        }
        Region region;
        if (!r.ok() || !readRegion(r, size, &region))
            return true;
        const QRegion area = m_canvas.regionFromDevice(region);
        if (type == emf::InvertRgn)
            m_canvas.invertRegion(area);
        else if (type == emf::FrameRgn)
            m_canvas.frameRegion(area, brush, frame);
        else
            m_canvas.fillRegion(area, brush);
        return true;
    }
    default: return false;
    }
}

} // namespace pictures::metafile
