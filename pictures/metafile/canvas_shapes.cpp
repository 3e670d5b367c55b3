// Lines, curves and closed shapes, and the path bracket that collects them.

#include "pictures/metafile/canvas.h"

#include <QPainterPathStroker>

#include <cmath>

namespace pictures::metafile {

namespace {

constexpr int kPtCloseFigure = 0x01, kPtLineTo = 0x02, kPtBezierTo = 0x04, kPtMoveTo = 0x06;

QPainterPath closedPolygon(const QPolygonF &points)
{
    QPainterPath path;
    if (points.size() < 2)
        return path;
    path.addPolygon(points);
    path.closeSubpath();
    return path;
}

double angleOnEllipse(const QRectF &box, QPointF p)
{
    const QPointF c = box.center();
    const double rx = box.width() / 2, ry = box.height() / 2;
    return std::atan2(-(p.y() - c.y()) / ry, (p.x() - c.x()) / rx) * 180.0 / M_PI;
}

QPointF pointOnEllipse(const QRectF &box, double degrees)
{
    const double a = degrees * M_PI / 180.0;
    return QPointF(box.center().x() + box.width() / 2 * std::cos(a),
                   box.center().y() - box.height() / 2 * std::sin(a));
}

} // namespace

void Canvas::continueFigure(const QPainterPath &logicalTail, QPointF newCurrent)
{
    if (m_inPath) {
        if (transformUsable()) {
            if (!m_figureOpen) {
                m_path.moveTo(m_full.map(m_state.currentPos));
                m_figureOpen = true;
            }
            m_path.connectPath(m_full.map(logicalTail));
        }
    } else {
        strokeOpen(logicalTail);
    }
    m_state.currentPos = newCurrent;
}

void Canvas::moveTo(QPointF p)
{
    m_state.currentPos = p;
    m_figureOpen = false;
}

void Canvas::lineTo(QPointF p)
{
    QPainterPath tail(m_state.currentPos);
    tail.lineTo(p);
    continueFigure(tail, p);
}

void Canvas::polyline(const QPolygonF &points)
{
    if (points.size() < 2)
        return;
    QPainterPath path;
    path.addPolygon(points);
    strokeOpen(path);
}

void Canvas::polylineTo(const QPolygonF &points)
{
    if (points.isEmpty())
        return;
    QPainterPath tail(m_state.currentPos);
    for (QPointF p : points)
        tail.lineTo(p);
    continueFigure(tail, points.last());
}

void Canvas::polyBezier(const QPolygonF &points)
{
    if (points.size() < 4)
        return;
    QPainterPath path(points.first());
    for (qsizetype i = 1; i + 2 < points.size(); i += 3)
        path.cubicTo(points[i], points[i + 1], points[i + 2]);
    strokeOpen(path);
}

void Canvas::polyBezierTo(const QPolygonF &points)
{
    if (points.size() < 3)
        return;
    QPainterPath tail(m_state.currentPos);
    qsizetype i = 0;
    for (; i + 2 < points.size(); i += 3)
        tail.cubicTo(points[i], points[i + 1], points[i + 2]);
    continueFigure(tail, points[i - 1]);
}

void Canvas::polygon(const QPolygonF &points)
{
    drawShape(closedPolygon(points), true, true);
}

void Canvas::polyPolygon(const QList<QPolygonF> &polygons)
{
    QPainterPath path;
    for (const QPolygonF &polygon : polygons)
        path.addPath(closedPolygon(polygon));
    drawShape(path, true, true);
}

void Canvas::polyPolyline(const QList<QPolygonF> &lines)
{
    QPainterPath path;
    for (const QPolygonF &line : lines) {
        if (line.size() >= 2)
            path.addPolygon(line);
    }
    strokeOpen(path);
}

void Canvas::polyDraw(const QPolygonF &points, const QByteArray &types)
{
    QPainterPath path(m_state.currentPos);
    QPointF current = m_state.currentPos;
    const qsizetype n = qMin(points.size(), types.size());
    for (qsizetype i = 0; i < n; ++i) {
        const int type = quint8(types[i]);
        if ((type & ~kPtCloseFigure) == kPtMoveTo) {
            path.moveTo(points[i]);
        } else if ((type & ~kPtCloseFigure) == kPtLineTo) {
            path.lineTo(points[i]);
        } else if ((type & ~kPtCloseFigure) == kPtBezierTo && i + 2 < n) {
            path.cubicTo(points[i], points[i + 1], points[i + 2]);
            i += 2;
        } else {
            return; // the platform refuses the whole record on a bad type
        }
        current = points[qMin(i, n - 1)];
        if (type & kPtCloseFigure)
            path.closeSubpath();
    }
    strokeOpen(path);
    m_state.currentPos = current;
}

QRectF Canvas::withoutFarEdges(const QRectF &box)
{
    // The platform's rectangles leave out their right and bottom edges: one
    // output pixel, whichever way the mapping turns the logical box.
    QRectF r = box.normalized();
    if (m_inPath || !transformUsable())
        return r;
    const QTransform &t = m_full;
    if (t.m12() != 0 || t.m21() != 0)
        return r;
    const double px = 1 / std::abs(t.m11()), py = 1 / std::abs(t.m22());
    if (r.width() > px)
        t.m11() > 0 ? r.setRight(r.right() - px) : r.setLeft(r.left() + px);
    if (r.height() > py)
        t.m22() > 0 ? r.setBottom(r.bottom() - py) : r.setTop(r.top() + py);
    return r;
}

void Canvas::rectangle(const QRectF &box)
{
    QPainterPath path;
    path.addRect(withoutFarEdges(box));
    drawShape(path, true, true);
}

void Canvas::roundRect(const QRectF &box, QSizeF corner)
{
    QPainterPath path;
    const QRectF r = withoutFarEdges(box);
    path.addRoundedRect(r, qMin(std::abs(corner.width()) / 2, r.width() / 2),
                        qMin(std::abs(corner.height()) / 2, r.height() / 2));
    drawShape(path, true, true);
}

void Canvas::ellipse(const QRectF &box)
{
    QPainterPath path;
    path.addEllipse(box.normalized());
    drawShape(path, true, true);
}

QPainterPath Canvas::arcPath(const QRectF &rawBox, QPointF start, QPointF end, ArcKind kind,
                             QPointF *arcStart, QPointF *arcEnd) const
{
    const QRectF box = rawBox.normalized();
    QPainterPath path;
    if (box.width() <= 0 || box.height() <= 0)
        return path;
    const double a0 = angleOnEllipse(box, start);
    double sweep = angleOnEllipse(box, end) - a0;
    if (m_state.clockwise) {
        while (sweep >= 0)
            sweep -= 360;
    } else {
        while (sweep <= 0)
            sweep += 360;
    }
    *arcStart = pointOnEllipse(box, a0);
    *arcEnd = pointOnEllipse(box, a0 + sweep);
    if (kind == ArcKind::Pie) {
        path.moveTo(box.center());
        path.lineTo(*arcStart);
    } else {
        path.moveTo(*arcStart);
    }
    path.arcTo(box, a0, sweep);
    if (kind == ArcKind::Pie || kind == ArcKind::Chord)
        path.closeSubpath();
    return path;
}

void Canvas::arc(const QRectF &box, QPointF start, QPointF end, ArcKind kind)
{
    QPointF arcStart, arcEnd;
    const QPainterPath path = arcPath(box, start, end, kind, &arcStart, &arcEnd);
    if (path.isEmpty())
        return;
    switch (kind) {
    case ArcKind::Arc: strokeOpen(path); break;
    case ArcKind::ArcTo: {
        // A line from the current position to the arc's start, then the arc.
        // (connectPath alone would not draw it: a path holding only its
        // start point counts as empty, and the arc would be added unjoined.)
        QPainterPath tail(m_state.currentPos);
        tail.lineTo(arcStart);
        tail.connectPath(path);
        continueFigure(tail, arcEnd);
        break;
    }
    case ArcKind::Chord:
    case ArcKind::Pie: drawShape(path, true, true); break;
    }
}

void Canvas::angleArc(QPointF center, double radius, double startDegrees, double sweepDegrees)
{
    if (!std::isfinite(startDegrees) || !std::isfinite(sweepDegrees) || radius <= 0)
        return;
    // Sweeps beyond a few turns draw the same circle again; keep them bounded.
    sweepDegrees = qBound(-720.0, sweepDegrees, 720.0);
    startDegrees = std::fmod(startDegrees, 360.0);
    const QRectF box(center.x() - radius, center.y() - radius, 2 * radius, 2 * radius);
    QPainterPath tail(m_state.currentPos);
    tail.lineTo(pointOnEllipse(box, startDegrees));
    tail.arcTo(box, startDegrees, sweepDegrees);
    continueFigure(tail, pointOnEllipse(box, startDegrees + sweepDegrees));
}

void Canvas::beginPath()
{
    m_inPath = true;
    m_figureOpen = false;
    m_path = QPainterPath();
}

void Canvas::endPath()
{
    m_inPath = false;
    m_figureOpen = false;
}

void Canvas::closeFigure()
{
    if (m_inPath) {
        m_path.closeSubpath();
        m_figureOpen = false;
    }
}

void Canvas::abortPath()
{
    m_inPath = false;
    m_figureOpen = false;
    m_path = QPainterPath();
}

void Canvas::fillPath()
{
    if (m_inPath || !transformUsable())
        return;
    QPainterPath logical = m_full.inverted().map(m_path);
    m_path = QPainterPath();
    drawShape(logical, true, false);
}

void Canvas::strokePath()
{
    if (m_inPath || !transformUsable())
        return;
    QPainterPath logical = m_full.inverted().map(m_path);
    m_path = QPainterPath();
    drawShape(logical, false, true);
}

void Canvas::strokeAndFillPath()
{
    if (m_inPath || !transformUsable())
        return;
    QPainterPath logical = m_full.inverted().map(m_path);
    m_path = QPainterPath();
    drawShape(logical, true, true);
}

void Canvas::widenPath()
{
    if (m_inPath || !transformUsable() || m_state.pen.isNull())
        return;
    QPainterPathStroker stroker;
    const double scale = std::sqrt(std::abs(m_full.determinant()));
    stroker.setWidth(qBound(1.0, m_state.pen.width * scale,
                            4.0 * (m_pictureSize.width() + m_pictureSize.height())));
    m_path = stroker.createStroke(m_path);
}

} // namespace pictures::metafile
