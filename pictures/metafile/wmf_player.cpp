#include "pictures/metafile/wmf_player.h"

#include "pictures/metafile/wmf_player_p.h"
#include "pictures/metafile/wmf_records.h"

namespace pictures::metafile {

QRectF readReversedRect(Reader &r)
{
    const qint16 bottom = r.i16(), right = r.i16(), top = r.i16(), left = r.i16();
    return QRectF(QPointF(left, top), QPointF(right, bottom));
}

QPointF readReversedPoint(Reader &r)
{
    const qint16 y = r.i16(), x = r.i16();
    return QPointF(x, y);
}

QString playWmf(const QByteArray &bytes, const PictureFrame &frame, QImage *target,
                const View &view, WorkMeter *meter, qint64 maxBitmapPixels)
{
    WmfPlayer player(target, frame, view, meter, maxBitmapPixels);
    return player.play(bytes, frame.firstRecord);
}

WmfPlayer::WmfPlayer(QImage *target, const PictureFrame &frame, const View &view,
                     WorkMeter *meter, qint64 maxBitmapPixels)
    : m_canvas(target, Mapping::Wmf, frame, view, meter), m_objects(frame.objectCount),
      m_maxBitmapPixels(maxBitmapPixels)
{
}

QString WmfPlayer::play(const QByteArray &bytes, qint64 firstRecord)
{
    const Reader file(bytes);
    qint64 pos = firstRecord;
    int index = 0;
    while (file.size() - pos >= 6) {
        Reader head = file.sub(pos, 6);
        const quint32 words = head.u32();
        const quint16 function = head.u16();
        if (words < 3 || qint64(words) * 2 > file.size() - pos) {
            return QStringLiteral("record %1 (function 0x%2) at byte %3 gives a size of %4 "
                                  "words that does not fit the file; playback stopped there")
                .arg(index)
                .arg(function, 4, 16, QLatin1Char('0'))
                .arg(pos)
                .arg(words);
        }
        if (function == wmf::Eof)
            return {};
        if (!m_canvas.chargeRecord(qint64(words) * 2) || m_canvas.exhausted())
            return Canvas::overBudgetNote(index, pos);
        Reader params = file.sub(pos + 6, qint64(words) * 2 - 6);
        playRecord(function, params);
        pos += qint64(words) * 2;
        ++index;
    }
    return {};
}

void WmfPlayer::playRecord(quint16 function, Reader &r)
{
    playState(function, r) || playShape(function, r) || playObject(function, r)
        || playRegion(function, r) || playText(function, r) || playBitmap(function, r);
}

bool WmfPlayer::playState(quint16 function, Reader &r)
{
    DcState &s = m_canvas.state();
    switch (function) {
    case wmf::SetWindowOrg: {
        const QPointF p = readReversedPoint(r);
        if (r.ok()) {
            s.windowOrg = p;
            m_canvas.mappingChanged();
        }
        return true;
    }
    case wmf::OffsetWindowOrg: {
        const QPointF p = readReversedPoint(r);
        if (r.ok()) {
            s.windowOrg += p;
            m_canvas.mappingChanged();
        }
        return true;
    }
    case wmf::SetWindowExt: {
        const QPointF p = readReversedPoint(r);
        if (r.ok() && p.x() != 0 && p.y() != 0) {
            s.windowExt = QSizeF(p.x(), p.y());
            m_canvas.mappingChanged();
        }
        return true;
    }
    case wmf::ScaleWindowExt: {
        const qint16 yDenom = r.i16(), yNum = r.i16(), xDenom = r.i16(), xNum = r.i16();
        if (r.ok() && yDenom && yNum && xDenom && xNum) {
            s.windowExt = QSizeF(s.windowExt.width() * xNum / xDenom,
                                 s.windowExt.height() * yNum / yDenom);
            m_canvas.mappingChanged();
        }
        return true;
    }
    // The picture's place on the page belongs to whoever plays it: the map
    // mode stays, and the file's viewport only moves and scales its drawing
    // against the first viewport extent it gives (see Canvas).
    case wmf::SetViewportOrg:
    case wmf::OffsetViewportOrg: {
        const QPointF p = readReversedPoint(r);
        if (r.ok()) {
            s.viewportOrg = function == wmf::SetViewportOrg ? p : s.viewportOrg + p;
            m_canvas.mappingChanged();
        }
        return true;
    }
    case wmf::SetViewportExt: {
        const QPointF p = readReversedPoint(r);
        if (r.ok() && p.x() != 0 && p.y() != 0)
            m_canvas.setFileViewportExt(QSizeF(p.x(), p.y()));
        return true;
    }
    case wmf::ScaleViewportExt: {
        const qint16 yDenom = r.i16(), yNum = r.i16(), xDenom = r.i16(), xNum = r.i16();
        if (r.ok() && yDenom && yNum && xDenom && xNum)
            m_canvas.setFileViewportExt(QSizeF(s.viewportExt.width() * xNum / xDenom,
                                               s.viewportExt.height() * yNum / yDenom));
        return true;
    }
    case wmf::SetMapMode: return true;
    case wmf::SetBkMode: {
        const quint16 v = r.u16();
        if (r.ok() && (v == 1 || v == 2))
            s.bkMode = v;
        return true;
    }
    case wmf::SetPolyFillMode: {
        const quint16 v = r.u16();
        if (r.ok() && (v == 1 || v == 2))
            s.polyFillMode = v;
        return true;
    }
    case wmf::SetRop2: {
        const quint16 v = r.u16();
        if (r.ok() && v >= 1 && v <= 16)
            s.rop2 = v;
        return true;
    }
    case wmf::SetTextAlign: {
        const quint16 v = r.u16();
        if (r.ok())
            s.textAlign = v;
        return true;
    }
    case wmf::SetTextCharExtra: {
        const qint16 v = r.i16();
        if (r.ok())
            s.textCharExtra = v;
        return true;
    }
    case wmf::SetBkColor:
    case wmf::SetTextColor: {
        const quint32 v = r.u32();
        if (r.ok())
            (function == wmf::SetBkColor ? s.bkColor : s.textColor) = colorFromRef(v);
        return true;
    }
    case wmf::SetStretchBltMode: {
        const quint16 v = r.u16();
        if (r.ok())
            s.smoothStretch = v == kHalftoneStretch;
        return true;
    }
    case wmf::SaveDc: m_canvas.saveDc(); return true;
    case wmf::RestoreDc: {
        const qint16 v = r.i16();
        if (r.ok())
            m_canvas.restoreDc(v);
        return true;
    }
    default: return false;
    }
}

bool WmfPlayer::playShape(quint16 function, Reader &r)
{
    switch (function) {
    case wmf::MoveTo:
    case wmf::LineTo: {
        const QPointF p = readReversedPoint(r);
        if (r.ok())
            function == wmf::MoveTo ? m_canvas.moveTo(p) : m_canvas.lineTo(p);
        return true;
    }
    case wmf::Polygon:
    case wmf::Polyline: {
        const qint16 count = r.i16();
        if (!r.ok() || count <= 0 || !r.has(qint64(count) * 4))
            return true;
        QPolygonF points;
        for (int i = 0; i < count; ++i) {
            const qint16 x = r.i16(), y = r.i16();
            points.append(QPointF(x, y));
        }
        function == wmf::Polygon ? m_canvas.polygon(points) : m_canvas.polyline(points);
        return true;
    }
    case wmf::PolyPolygon: {
        const quint16 polys = r.u16();
        if (!r.has(qint64(polys) * 2))
            return true;
        QList<quint16> counts;
        qint64 total = 0;
        for (int i = 0; i < polys; ++i) {
            counts.append(r.u16());
            total += counts.last();
        }
        if (!r.has(total * 4))
            return true;
        QList<QPolygonF> parts;
        for (quint16 c : counts) {
            QPolygonF points;
            for (int i = 0; i < c; ++i) {
                const qint16 x = r.i16(), y = r.i16();
                points.append(QPointF(x, y));
            }
            parts.append(points);
        }
        m_canvas.polyPolygon(parts);
        return true;
    }
    case wmf::Rectangle:
    case wmf::Ellipse: {
        const QRectF box = readReversedRect(r);
        if (r.ok())
            function == wmf::Rectangle ? m_canvas.rectangle(box) : m_canvas.ellipse(box);
        return true;
    }
    case wmf::RoundRect: {
        const qint16 h = r.i16(), w = r.i16();
        const QRectF box = readReversedRect(r);
        if (r.ok())
            m_canvas.roundRect(box, QSizeF(w, h));
        return true;
    }
    case wmf::Arc:
    case wmf::Pie:
    case wmf::Chord: {
        const QPointF end = readReversedPoint(r), start = readReversedPoint(r);
        const QRectF box = readReversedRect(r);
        if (!r.ok())
            return true;
        m_canvas.arc(box, start, end,
                     function == wmf::Arc   ? ArcKind::Arc
                     : function == wmf::Pie ? ArcKind::Pie
                                            : ArcKind::Chord);
        return true;
    }
    case wmf::SetPixel: {
        const quint32 color = r.u32();
        const QPointF p = readReversedPoint(r);
        if (r.ok())
            m_canvas.setPixel(p, colorFromRef(color));
        return true;
    }
    default: return false;
    }
}

} // namespace pictures::metafile
