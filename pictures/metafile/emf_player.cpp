#include "pictures/metafile/emf_player.h"

#include "pictures/metafile/emf_player_p.h"
#include "pictures/metafile/emf_records.h"

#include <cmath>

namespace pictures::metafile {

namespace {

bool usableXform(const QTransform &t)
{
    const double v[] = {t.m11(), t.m12(), t.m21(), t.m22(), t.dx(), t.dy()};
    for (double x : v) {
        if (!std::isfinite(x) || std::abs(x) > 1e7)
            return false;
    }
    return std::abs(t.determinant()) > 1e-12;
}

QTransform readXform(Reader &r)
{
    const double m11 = r.f32(), m12 = r.f32(), m21 = r.f32(), m22 = r.f32();
    const double dx = r.f32(), dy = r.f32();
    return QTransform(m11, m12, m21, m22, dx, dy);
}

} // namespace

QPointF readPointL(Reader &r)
{
    const qint32 x = r.i32(), y = r.i32();
    return QPointF(x, y);
}

QRectF readRectL(Reader &r)
{
    const qint32 l = r.i32(), t = r.i32(), rr = r.i32(), b = r.i32();
    return QRectF(QPointF(l, t), QPointF(rr, b));
}

QPolygonF readPoints(Reader &r, quint32 count, bool small)
{
    if (!r.has(qint64(count) * (small ? 4 : 8)))
        return {};
    QPolygonF points;
    points.reserve(count);
    for (quint32 i = 0; i < count; ++i) {
        if (small) {
            const qint16 x = r.i16(), y = r.i16();
            points.append(QPointF(x, y));
        } else {
            points.append(readPointL(r));
        }
    }
    return points;
}

EmfPlayer::EmfPlayer(QImage *target, const PictureFrame &frame, const View &view,
                     WorkMeter *meter, qint64 maxBitmapPixels)
    : m_canvas(target, Mapping::Emf, frame, view, meter), m_objects(qsizetype(frame.handleCount)),
      m_maxBitmapPixels(maxBitmapPixels)
{
}

QString EmfPlayer::play(const QByteArray &bytes)
{
    const Reader file(bytes);
    qint64 pos = 0;
    int index = 0;
    while (file.size() - pos >= 8) {
        Reader head = file.sub(pos, 8);
        const quint32 type = head.u32();
        const quint32 size = head.u32();
        if (size < 8 || size > file.size() - pos) {
            return QStringLiteral("record %1 (type %2) at byte %3 gives a size of %4 bytes "
                                  "that does not fit the file; playback stopped there")
                .arg(index).arg(type).arg(pos).arg(size);
        }
        if (type == emf::Eof)
            return {};
        if (!m_canvas.chargeRecord(size) || m_canvas.exhausted())
            return Canvas::overBudgetNote(index, pos);
        const Reader rec = file.sub(pos, size);
        Reader r = rec;
        r.skip(8);
        if (index > 0 || type != emf::Header)
            playRecord(type, rec, r);
        pos += size;
        ++index;
    }
    return {};
}

void EmfPlayer::playRecord(quint32 type, const Reader &rec, Reader &r)
{
    // Each group reads what it needs through r, which refuses to leave the
    // record; a record too short for its fields draws nothing.
    playState(type, r) || playObject(type, rec, r) || playShape(type, r) || playPath(type, r)
        || playRegion(type, r) || playText(type, rec, r) || playBitmap(type, rec, r);
}

bool EmfPlayer::playState(quint32 type, Reader &r)
{
    DcState &s = m_canvas.state();
    switch (type) {
    case emf::SetWindowExtEx:
    case emf::SetViewportExtEx: {
        const qint32 x = r.i32(), y = r.i32();
        if (r.ok() && x != 0 && y != 0) {
            (type == emf::SetWindowExtEx ? s.windowExt : s.viewportExt) = QSizeF(x, y);
            m_canvas.mappingChanged();
        }
        return true;
    }
    case emf::SetWindowOrgEx:
    case emf::SetViewportOrgEx: {
        const QPointF p = readPointL(r);
        if (r.ok()) {
            (type == emf::SetWindowOrgEx ? s.windowOrg : s.viewportOrg) = p;
            m_canvas.mappingChanged();
        }
        return true;
    }
    case emf::ScaleViewportExtEx:
    case emf::ScaleWindowExtEx: {
        const qint32 xNum = r.i32(), xDenom = r.i32(), yNum = r.i32(), yDenom = r.i32();
        QSizeF &ext = type == emf::ScaleWindowExtEx ? s.windowExt : s.viewportExt;
        if (r.ok() && xNum && xDenom && yNum && yDenom) {
            ext = QSizeF(ext.width() * xNum / xDenom, ext.height() * yNum / yDenom);
            m_canvas.mappingChanged();
        }
        return true;
    }
    case emf::SetMapMode: {
        const quint32 mode = r.u32();
        if (r.ok() && mode >= 1 && mode <= 8) {
            s.mapMode = int(mode);
            m_canvas.mappingChanged();
        }
        return true;
    }
    case emf::SetWorldTransform:
    case emf::ModifyWorldTransform: {
        const QTransform x = readXform(r);
        const quint32 mode = type == emf::SetWorldTransform ? 4 : r.u32();
        if (!r.ok())
            return true;
        QTransform next = s.world;
        switch (mode) {
        case 1: next = QTransform(); break;
        case 2: next = x * s.world; break;
        case 3: next = s.world * x; break;
        case 4: next = x; break;
        default: return true;
        }
        // A transform that collapses or explodes the picture is refused.
        if (usableXform(next)) {
            s.world = next;
            m_canvas.mappingChanged();
        }
        return true;
    }
    case emf::SetBkMode: {
        const quint32 v = r.u32();
        if (r.ok() && (v == 1 || v == 2))
            s.bkMode = int(v);
        return true;
    }
    case emf::SetPolyFillMode: {
        const quint32 v = r.u32();
        if (r.ok() && (v == 1 || v == 2))
            s.polyFillMode = int(v);
        return true;
    }
    case emf::SetRop2: {
        const quint32 v = r.u32();
        if (r.ok() && v >= 1 && v <= 16)
            s.rop2 = int(v);
        return true;
    }
    case emf::SetTextAlign: {
        const quint32 v = r.u32();
        if (r.ok())
            s.textAlign = v;
        return true;
    }
    case emf::SetTextColor:
    case emf::SetBkColor: {
        const quint32 v = r.u32();
        if (r.ok())
            (type == emf::SetTextColor ? s.textColor : s.bkColor) = colorFromRef(v);
        return true;
    }
    case emf::SetStretchBltMode: {
        const quint32 v = r.u32();
        if (r.ok())
            s.smoothStretch = v == kHalftoneStretch;
        return true;
    }
    case emf::SetArcDirection: {
        const quint32 v = r.u32();
        if (r.ok() && (v == 1 || v == 2))
            s.clockwise = v == 2;
        return true;
    }
    case emf::SaveDc: m_canvas.saveDc(); return true;
    case emf::RestoreDc: {
        const qint32 v = r.i32();
        if (r.ok())
            m_canvas.restoreDc(v);
        return true;
    }
    case emf::MoveToEx: {
        const QPointF p = readPointL(r);
        if (r.ok())
            m_canvas.moveTo(p);
        return true;
    }
    default: return false;
    }
}

} // namespace pictures::metafile

namespace pictures::metafile {

QString playEmf(const QByteArray &bytes, const PictureFrame &frame, QImage *target,
                const View &view, WorkMeter *meter, qint64 maxBitmapPixels)
{
    EmfPlayer player(target, frame, view, meter, maxBitmapPixels);
    return player.play(bytes);
}

} // namespace pictures::metafile
