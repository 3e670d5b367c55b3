// The cost of each drawing, estimated from its geometry before it is drawn
// and charged to the canvas's work meter.

#include "pictures/metafile/canvas.h"
#include "pictures/metafile/work_costs.h"

#include <cmath>
#include <vector>

namespace pictures::metafile {

namespace work {

namespace {

double overlap(double a0, double a1, double b0, double b1)
{
    if (a0 > a1)
        std::swap(a0, a1);
    return std::max(0.0, std::min(a1, b1) - std::max(a0, b0));
}

} // namespace

PathWork measurePath(const QPainterPath &path, const QRectF &window, double margin)
{
    PathWork w;
    const double top = window.top() - margin, bottom = window.bottom() + margin;
    const QRectF near = window.adjusted(-margin, -margin, margin, margin);
    QPointF current, start;
    // Edges per band of rows, to count how many a row meets at once.
    const double height = std::max(1.0, bottom - top);
    const int bands = int(std::clamp(std::ceil(height), 1.0, 2048.0));
    const double bandRows = height / bands;
    std::vector<double> starts(size_t(bands) + 1, 0.0);
    auto segment = [&](QPointF a, QPointF b, double weight) {
        const double rows = overlap(a.y(), b.y(), top, bottom);
        // An edge that only touches the window still costs a row.
        if (rows > 0 || (std::min(a.y(), b.y()) <= bottom && std::max(a.y(), b.y()) >= top)) {
            w.edgeRows += (rows + 1) * weight;
            const double y0 = std::clamp(std::min(a.y(), b.y()), top, bottom);
            const double y1 = std::clamp(std::max(a.y(), b.y()), top, bottom);
            const int first = std::min(bands - 1, int((y0 - top) / bandRows));
            const int last = std::min(bands - 1, int((y1 - top) / bandRows));
            starts[size_t(first)] += weight;
            starts[size_t(last) + 1] -= weight;
        }
        if (QRectF(a, b).normalized().adjusted(-1, -1, 1, 1).intersects(near)) {
            const double length = std::hypot(b.x() - a.x(), b.y() - a.y());
            w.length += std::min(length, 2 * (near.width() + near.height()));
        }
    };
    const int n = path.elementCount();
    w.elements = n;
    for (int i = 0; i < n; ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        switch (e.type) {
        case QPainterPath::MoveToElement:
            segment(current, start, 1); // the closing edge of the previous figure
            current = start = e;
            break;
        case QPainterPath::LineToElement:
            segment(current, e, 1);
            current = e;
            break;
        case QPainterPath::CurveToElement: {
            // A curve stays within its control points; flattened, it crosses
            // each row of that span at most three times.
            const QPointF c1 = e, c2 = i + 1 < n ? QPointF(path.elementAt(i + 1)) : c1;
            const QPointF end = i + 2 < n ? QPointF(path.elementAt(i + 2)) : c2;
            const double y0 = std::min({current.y(), c1.y(), c2.y(), end.y()});
            const double y1 = std::max({current.y(), c1.y(), c2.y(), end.y()});
            segment(QPointF(current.x(), y0), QPointF(end.x(), y1), 3);
            w.elements += kCurveSegments;
            current = end;
            i += 2;
            break;
        }
        case QPainterPath::CurveToDataElement: break;
        }
    }
    segment(current, start, 1);
    double active = 0;
    for (int band = 0; band < bands; ++band) {
        active += starts[size_t(band)];
        w.activePairs += active * active / 2 * bandRows;
    }
    w.bounds = path.controlPointRect();
    return w;
}

double regionBuildCost(qsizetype rects)
{
    // Merged pairwise: every rectangle takes part in log2(n) merges.
    return double(rects) * (1 + std::log2(double(std::max<qsizetype>(rects, 1)))) * kRegionRect;
}

} // namespace work

using namespace work;

QString Canvas::overBudgetNote(int record, qint64 offset)
{
    return QStringLiteral("record %1 at byte %2 would pass the work budget; playback stopped there")
        .arg(record)
        .arg(offset);
}

bool Canvas::chargeRecord(qint64 bytes)
{
    return m_meter->charge(kRecord + double(bytes) * kRecordByte);
}

bool Canvas::chargeBitmap(qint64 pixels, double weight)
{
    return m_meter->charge(double(pixels) * kDecodePixel * weight);
}

QRectF Canvas::drawableArea() const
{
    return QRectF(m_clipBounds.intersected(m_target->rect()));
}

bool Canvas::affordArea(const QRectF &outputRect, double weightPerPixel)
{
    const QRectF r = outputRect.normalized().intersected(drawableArea());
    const double area = r.isEmpty() ? 0 : (r.width() + 1) * (r.height() + 1);
    return m_meter->charge(area * weightPerPixel + double(m_clipSpans) * kClipSpan);
}

bool Canvas::affordPath(const QPainterPath &outputPath, bool fill, const QPen &pen)
{
    const QRectF window = drawableArea();
    const bool wide = pen.style() != Qt::NoPen && !pen.isCosmetic();
    const double penWidth = wide ? pen.widthF() * std::sqrt(std::abs(m_full.determinant())) : 1;
    const PathWork w = measurePath(outputPath, window, wide ? penWidth : 1);
    double units = w.elements * kPathElement;
    const QRectF box = w.bounds.adjusted(-penWidth, -penWidth, penWidth, penWidth).intersected(window);
    const double area = box.isEmpty() ? 0 : (box.width() + 1) * (box.height() + 1);
    if (fill)
        units += area * kPatternPixel + w.edgeRows * kEdgeRow + w.activePairs * kActivePair
                 + double(m_clipSpans) * kClipSpan;
    if (pen.style() != Qt::NoPen) {
        if (wide) {
            // The stroke's outline runs along both sides of the line, with
            // joins and caps, and is filled like any shape.
            const double rows = std::min(penWidth, window.height() + 1);
            units += w.elements * kPathElement * 8 + (2 * w.edgeRows + w.elements * rows) * kEdgeRow
                     + 4 * w.activePairs * kActivePair + std::min(w.length * penWidth, area) * kFillPixel;
        } else {
            units += w.length * kLinePixel;
        }
        units += double(m_clipSpans) * kClipSpan;
    }
    return m_meter->charge(units);
}

bool Canvas::affordText(const QRectF &outputBox, qsizetype glyphs, double pixelSize)
{
    const QRectF box = outputBox.normalized().intersected(drawableArea());
    const double area = box.isEmpty() ? 0 : (box.width() + 1) * (box.height() + 1);
    const double glyphArea = std::min(pixelSize * pixelSize, area);
    double perGlyph = glyphArea * kGlyphPixel;
    if (pixelSize > kCachedGlyphPixels)
        perGlyph += kGlyphOutlineEdges * std::min(pixelSize, box.height() + 1) * kEdgeRow;
    return m_meter->charge(double(glyphs) * perGlyph + double(m_clipSpans) * kClipSpan);
}

bool Canvas::affordRegionOp(qsizetype rects)
{
    return m_meter->charge(double(rects) * kRegionRect);
}

} // namespace pictures::metafile
