// Clipping and regions, all held in output pixels.

#include "pictures/metafile/canvas.h"

#include <algorithm>
#include <cmath>

namespace pictures::metafile {

namespace {

constexpr int kRgnAnd = 1, kRgnOr = 2, kRgnXor = 3, kRgnDiff = 4, kRgnCopy = 5;
// Regions are built from at most this many rectangles; more is a damaged file.
constexpr qsizetype kMaxRegionRects = 20000;
constexpr int kMaxExactPathElements = 400;

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
    // Boolean operations on paths grow faster than linearly; a path of many
    // elements is rasterised into a mask instead, whose cost is bounded by
    // the picture's size.
    if (path.elementCount() > kMaxExactPathElements) {
        QImage mask(m_target->size(), QImage::Format_Alpha8);
        mask.fill(0);
        QPainter painter(&mask);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::black);
        painter.drawPath(path);
        painter.end();
        // One band per row, runs left to right: already in the order a
        // region keeps its rectangles.
        QList<QRect> runs;
        for (int y = 0; y < mask.height(); ++y) {
            const uchar *row = mask.constScanLine(y);
            for (int x = 0; x < mask.width();) {
                if (row[x] < 128) {
                    ++x;
                    continue;
                }
                const int start = x;
                while (x < mask.width() && row[x] >= 128)
                    ++x;
                runs.append(QRect(start, y, x - start, 1));
            }
        }
        QRegion region;
        region.setRects(runs.constData(), int(runs.size()));
        return region;
    }
    // Only the picture matters; cutting the path first keeps the scan
    // conversion bounded whatever coordinates the file used.
    QPainterPath area;
    area.addRect(QRectF(QPointF(-2, -2), QSizeF(m_target->size()) + QSizeF(4, 4)));
    const QPainterPath inside = path.intersected(area);
    QRegion region;
    for (const QPolygonF &polygon : inside.toFillPolygons())
        region = region.xored(QRegion(polygon.toPolygon(), Qt::OddEvenFill));
    return region;
}

void Canvas::combineClip(const QRegion &region, int mode)
{
    const QRegion everything(QRect(QPoint(-2, -2), m_target->size() + QSize(4, 4)));
    const QRegion current = m_state.clip.value_or(everything);
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
        m_state.clip->translate(qRound(d.x()), qRound(d.y()));
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
    QList<QRegion> parts;
    const QRectF limit(-1e6, -1e6, 2e6, 2e6);
    for (qsizetype i = 0; i < qMin(region.rects.size(), kMaxRegionRects); ++i) {
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
    QList<QRegion> parts;
    for (qsizetype i = 0; i < qMin(region.rects.size(), kMaxRegionRects); ++i) {
        if (!region.rects[i].isValid())
            continue;
        QPainterPath path;
        path.addRect(region.rects[i]);
        parts.append(regionFromOutputPath(m_full.map(path)));
    }
    return unite(std::move(parts));
}

void Canvas::fillOutputPath(const QPainterPath &outputPath, const QBrush &brush)
{
    if (!prepare())
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
    m_painter->resetTransform();
    m_painter->setCompositionMode(QPainter::RasterOp_NotDestination);
    m_painter->fillPath(path, Qt::black);
    m_painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

} // namespace pictures::metafile
