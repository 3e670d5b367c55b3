// Clipping and regions, all held in output pixels.

#include "pictures/metafile/canvas.h"
#include "pictures/metafile/scan_region.h"
#include "pictures/metafile/work_costs.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace pictures::metafile {

namespace {

constexpr int kRgnAnd = 1, kRgnOr = 2, kRgnXor = 3, kRgnDiff = 4, kRgnCopy = 5;
// Regions are built from at most this many rectangles; more is a damaged file.
constexpr qsizetype kMaxRegionRects = 20000;

// Qt's raster engine makes a region clip into a table of spans that it
// sizes as the clip's height times its number of rectangles, counted in a
// signed int: past 2^31 the product wraps, the table comes out too small
// and the engine writes past its end (a comb-shaped clip path of 600 teeth
// over 2000 rows made 1.2 million rectangles, and a crash). Below this
// product the table is safe and small (16 bytes a span, of address space
// only); a clip beyond it is drawn through a snapshot instead.
constexpr qint64 kMaxRegionClipSpans = qint64(1) << 22;
// Clips live in output pixels near the target; translating them further
// than this is never useful and would overflow QRegion's int coordinates.
constexpr int kMaxClipCoordinate = 1 << 24;

// Merging pairwise keeps a region of many rectangles from costing quadratic time.
QRegion unite(QList<QRegion> parts)
{
    if (parts.isEmpty())
        return {};
    while (parts.size() > 1) {
        QList<QRegion> next;
        for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
            next.append(parts[i].united(parts[i + 1]));
        if (parts.size() % 2)
            next.append(parts.last());
        parts = std::move(next);
    }
    return parts.first();
}

} // namespace

QRegion Canvas::regionFromOutputPath(const QPainterPath &path) const
{
    // Only the picture matters: the region is cut to it, whatever
    // coordinates the file used.
    return scanRegion(path, QRect(QPoint(-2, -2), m_target->size() + QSize(4, 4)), m_meter);
}

void Canvas::combineClip(const QRegion &region, int mode)
{
    const QRegion everything(QRect(QPoint(-2, -2), m_target->size() + QSize(4, 4)));
    const QRegion current = m_state.clip.value_or(everything);
    if (!affordRegionOp(current.rectCount() + region.rectCount()))
        return;
    switch (mode) {
    case kRgnAnd: m_state.clip = current.intersected(region); break;
    case kRgnOr: m_state.clip = current.united(region); break;
    case kRgnXor: m_state.clip = current.xored(region); break;
    case kRgnDiff: m_state.clip = current.subtracted(region); break;
    case kRgnCopy: m_state.clip = region; break;
    default: return;
    }
    m_clipDirty = true;
}

void Canvas::intersectClipRect(const QRectF &logical)
{
    if (!transformUsable())
        return;
    QPainterPath path;
    path.addRect(logical.normalized());
    combineClip(regionFromOutputPath(m_full.map(path)), kRgnAnd);
}

void Canvas::excludeClipRect(const QRectF &logical)
{
    if (!transformUsable())
        return;
    QPainterPath path;
    path.addRect(logical.normalized());
    combineClip(regionFromOutputPath(m_full.map(path)), kRgnDiff);
}

void Canvas::offsetClip(QPointF logical)
{
    if (!m_state.clip || !transformUsable())
        return;
    const QPointF d = m_full.map(logical) - m_full.map(QPointF());
    if (std::abs(d.x()) > 1e6 || std::abs(d.y()) > 1e6) {
        m_state.clip = QRegion();
    } else {
        if (!affordRegionOp(m_state.clip->rectCount()))
            return;
        m_state.clip->translate(qRound(d.x()), qRound(d.y()));
        // Offsets add up record after record; keep the coordinates bounded.
        const QRect bound(-kMaxClipCoordinate, -kMaxClipCoordinate, 2 * kMaxClipCoordinate,
                          2 * kMaxClipCoordinate);
        if (!bound.contains(m_state.clip->boundingRect()))
            m_state.clip = m_state.clip->intersected(bound);
    }
    m_clipDirty = true;
}

void Canvas::selectClipRegion(const QRegion *region, int mode)
{
    if (!region) {
        // Only a copy can drop the clip; the other modes need a region.
        if (mode == kRgnCopy) {
            m_state.clip.reset();
            m_clipDirty = true;
        }
        return;
    }
    combineClip(*region, mode);
}

void Canvas::setMetaRegion()
{
    if (!m_state.clip)
        return;
    if (m_state.metaClip && !affordRegionOp(m_state.metaClip->rectCount() + m_state.clip->rectCount()))
        return;
    m_state.metaClip = m_state.metaClip ? m_state.metaClip->intersected(*m_state.clip)
                                        : *m_state.clip;
    m_state.clip.reset();
    m_clipDirty = true;
}

void Canvas::selectClipPath(int mode)
{
    if (m_inPath)
        return;
    QPainterPath path = m_path;
    path.setFillRule(m_state.polyFillMode == kAlternateFill ? Qt::OddEvenFill : Qt::WindingFill);
    m_path = QPainterPath();
    combineClip(regionFromOutputPath(path), mode);
}

QRegion Canvas::regionFromDevice(const Region &region) const
{
    const qsizetype count = qMin(region.rects.size(), kMaxRegionRects);
    if (!m_meter->charge(work::regionBuildCost(count)))
        return {};
    QList<QRegion> parts;
    const QRectF limit(-1e6, -1e6, 2e6, 2e6);
    for (qsizetype i = 0; i < count; ++i) {
        if (!region.rects[i].isValid())
            continue;
        const QRectF r = m_base.mapRect(region.rects[i]).intersected(limit);
        if (!r.isEmpty())
            parts.append(QRegion(r.toRect()));
    }
    return unite(std::move(parts));
}

QRegion Canvas::regionFromLogical(const Region &region)
{
    if (!transformUsable())
        return {};
    const qsizetype count = qMin(region.rects.size(), kMaxRegionRects);
    const QTransform &t = m_full;
    // A WMF mapping only scales and moves, so a rectangle stays one: the same
    // pixels as its outline scan-converted, at a fraction of the cost.
    if (!m_meter->charge(work::regionBuildCost(count)))
        return {};
    QList<QRegion> parts;
    const QRectF area(QPointF(-2, -2), QSizeF(m_target->size()) + QSizeF(4, 4));
    for (qsizetype i = 0; i < count; ++i) {
        if (!region.rects[i].isValid())
            continue;
        const QRectF r = t.mapRect(region.rects[i]).intersected(area);
        const QRect pixels(QPoint(qRound(r.left()), qRound(r.top())),
                           QPoint(qRound(r.right()) - 1, qRound(r.bottom()) - 1));
        if (!r.isEmpty() && pixels.isValid())
            parts.append(QRegion(pixels));
    }
    return unite(std::move(parts));
}

void Canvas::applyClip()
{
    if (!m_clipDirty)
        return;
    endGuardedDrawing(); // what is pending was drawn under the old clip
    m_clipDirty = false;
    m_clipGuarded = false;
    m_clipOutside = QRegion();
    m_clipSpans = 0;
    m_painter->resetTransform();
    const QRect targetRect = m_target->rect();
    const auto &clip = m_state.clip;
    const auto &meta = m_state.metaClip;
    if (!clip && !meta) {
        m_clipBounds = targetRect;
        m_painter->setClipping(false);
        return;
    }
    const QRegion whole = clip && meta ? clip->intersected(*meta) : clip ? *clip : *meta;
    if (!affordRegionOp(whole.rectCount())) {
        m_clipBounds = QRect();
        m_painter->setClipRect(QRect()); // nothing more is drawn anyway
        return;
    }
    const QRegion effective = whole.intersected(targetRect);
    m_clipBounds = effective.boundingRect();
    for (const QRect &r : effective)
        m_clipSpans += r.height();
    const qint64 rects = effective.rectCount();
    if (rects <= 1 || qint64(m_clipBounds.height()) * rects <= kMaxRegionClipSpans) {
        m_painter->setClipRegion(effective);
        return;
    }
    // Too many rectangles for the engine: it clips to the bounds, and what
    // each drawing puts outside the region is taken back from a snapshot.
    m_clipGuarded = true;
    m_clipOutside = QRegion(m_clipBounds).subtracted(effective);
    m_painter->setClipRect(m_clipBounds);
}

bool Canvas::beginGuardedDrawing()
{
    endGuardedDrawing();
    if (m_clipBounds.isEmpty())
        return true;
    // A copy of the bounds now and the rows outside the region afterwards.
    if (!affordArea(m_clipBounds, work::kCopyPixel)
        || !m_meter->charge(double(m_clipOutside.rectCount()) * work::kRegionRect))
        return false;
    m_snapshot = m_target->copy(m_clipBounds);
    m_snapshotPending = true;
    return true;
}

void Canvas::endGuardedDrawing()
{
    if (!m_snapshotPending)
        return;
    m_snapshotPending = false;
    // The painter writes straight into the target's pixels, which nothing
    // else shares while the canvas draws, so writing rows here does not
    // detach the image from the painter.
    const int bytesPerPixel = m_target->depth() / 8;
    for (const QRect &r : m_clipOutside) {
        for (int y = r.top(); y <= r.bottom(); ++y) {
            const uchar *from = m_snapshot.constScanLine(y - m_clipBounds.top())
                                + qsizetype(r.left() - m_clipBounds.left()) * bytesPerPixel;
            std::memcpy(m_target->scanLine(y) + qsizetype(r.left()) * bytesPerPixel, from,
                        size_t(r.width()) * bytesPerPixel);
        }
    }
}

void Canvas::fillOutputPath(const QPainterPath &outputPath, const QBrush &brush)
{
    if (!prepare())
        return;
    if (!affordPath(outputPath, true, Qt::NoPen))
        return;
    m_painter->resetTransform();
    QBrush b = brush;
    if (b.style() == Qt::TexturePattern)
        b.setTransform(QTransform());
    m_painter->fillPath(outputPath, b);
}

void Canvas::fillRegion(const QRegion &region, const Brush &brush)
{
    if (m_inPath || brush.isNull() || !transformUsable())
        return;
    QPainterPath path;
    path.addRegion(region);
    fillOutputPath(path, brushFor(brush));
}

void Canvas::frameRegion(const QRegion &region, const Brush &brush, QSizeF logicalSize)
{
    if (m_inPath || brush.isNull() || !transformUsable())
        return;
    const QPointF d = m_full.map(QPointF(logicalSize.width(), logicalSize.height()))
                      - m_full.map(QPointF());
    const int w = int(std::lround(qBound(1.0, std::abs(d.x()), 4096.0)));
    const int h = int(std::lround(qBound(1.0, std::abs(d.y()), 4096.0)));
    if (!affordRegionOp(region.rectCount() * 10))
        return;
    const QRegion inner = region.intersected(region.translated(w, 0))
                              .intersected(region.translated(-w, 0))
                              .intersected(region.translated(0, h))
                              .intersected(region.translated(0, -h));
    QPainterPath path;
    path.addRegion(region.subtracted(inner));
    fillOutputPath(path, brushFor(brush));
}

void Canvas::invertRegion(const QRegion &region)
{
    if (m_inPath || !prepare())
        return;
    QPainterPath path;
    path.addRegion(region);
    if (!affordPath(path, true, Qt::NoPen))
        return;
    m_painter->resetTransform();
    m_painter->setCompositionMode(QPainter::RasterOp_NotDestination);
    m_painter->fillPath(path, Qt::black);
    m_painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

} // namespace pictures::metafile
