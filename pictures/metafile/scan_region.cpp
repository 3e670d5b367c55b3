#include "pictures/metafile/scan_region.h"

#include "pictures/metafile/work_costs.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace pictures::metafile {

namespace {

struct Edge {
    int firstRow; // rows whose centres the edge crosses
    int lastRow;
    double x0;    // x at the centre of firstRow
    double slope; // x per row
    int direction;
};

struct Crossing {
    double x;
    int direction;
    bool operator<(const Crossing &o) const { return x < o.x; }
};

// The first pixel whose centre lies at or right of x, kept within [left, right + 1]. Clamped
// before the conversion: a crossing far outside the area (or not a number, after an overflow in
// the edge's arithmetic) has no int of its own.
int pixelAtOrRight(double x, const QRect &area)
{
    const double pixel = std::ceil(x - 0.5);
    if (!(pixel > area.left()))
        return area.left();
    if (pixel > area.right() + 1.0)
        return area.right() + 1;
    return int(pixel);
}

} // namespace

QRegion scanRegion(const QPainterPath &path, const QRect &area, WorkMeter *meter)
{
    if (area.isEmpty())
        return {};
    const bool winding = path.fillRule() == Qt::WindingFill;
    std::vector<Edge> edges;
    double edgeRows = 0;
    for (const QPolygonF &polygon : path.toSubpathPolygons()) {
        const qsizetype n = polygon.size();
        for (qsizetype i = 0; i < n; ++i) {
            QPointF a = polygon[i], b = polygon[(i + 1) % n]; // each figure is closed
            int direction = 1;
            if (a.y() > b.y()) {
                std::swap(a, b);
                direction = -1;
            }
            if (!std::isfinite(a.x()) || !std::isfinite(b.x()) || !std::isfinite(a.y())
                || !std::isfinite(b.y()))
                continue;
            // Rows y with a.y <= y + 0.5 < b.y, within the area.
            const double first = std::max(std::ceil(a.y() - 0.5), double(area.top()));
            const double last = std::min(std::ceil(b.y() - 0.5) - 1, double(area.bottom()));
            if (first > last)
                continue;
            const double slope = (b.x() - a.x()) / (b.y() - a.y());
            edges.push_back({int(first), int(last), a.x() + (first + 0.5 - a.y()) * slope, slope,
                             direction});
            edgeRows += last - first + 1;
        }
    }
    const double log = std::log2(std::max<double>(2, double(edges.size())));
    if (meter
        && !meter->charge(double(edges.size()) * work::kPathElement
                          + edgeRows * (1 + log) * work::kScanCrossing))
        return {};

    std::sort(edges.begin(), edges.end(),
              [](const Edge &l, const Edge &r) { return l.firstRow < r.firstRow; });
    std::vector<const Edge *> active;
    std::vector<Crossing> crossings;
    QList<QRect> rects;
    qsizetype bandStart = 0;
    size_t next = 0;
    const int rowEnd = edges.empty() ? area.top() : area.bottom() + 1;
    for (int y = edges.empty() ? rowEnd : edges.front().firstRow; y < rowEnd; ++y) {
        if (active.empty() && next < edges.size() && edges[next].firstRow > y)
            y = edges[next].firstRow; // nothing between here and the next edge
        while (next < edges.size() && edges[next].firstRow == y)
            active.push_back(&edges[next++]);
        std::erase_if(active, [y](const Edge *e) { return e->lastRow < y; });
        if (active.empty()) {
            if (next == edges.size())
                break;
            continue;
        }
        crossings.clear();
        for (const Edge *e : active)
            crossings.push_back({e->x0 + (y - e->firstRow) * e->slope, e->direction});
        std::sort(crossings.begin(), crossings.end());

        const qsizetype rowStart = rects.size();
        int inside = 0;
        int runStart = 0;
        for (const Crossing &c : crossings) {
            const bool wasIn = winding ? inside != 0 : (inside & 1);
            inside += winding ? c.direction : 1;
            const bool isIn = winding ? inside != 0 : (inside & 1);
            if (!wasIn && isIn) {
                runStart = pixelAtOrRight(c.x, area);
            } else if (wasIn && !isIn) {
                const int runEnd = pixelAtOrRight(c.x, area);
                if (runEnd <= runStart)
                    continue;
                if (rects.size() > rowStart && rects.last().right() + 1 >= runStart)
                    rects.last().setRight(std::max(rects.last().right(), runEnd - 1));
                else
                    rects.append(QRect(runStart, y, runEnd - runStart, 1));
            }
        }
        // A row like the one above it grows that band instead.
        const qsizetype count = rects.size() - rowStart, previous = rowStart - bandStart;
        bool same = count > 0 && count == previous && rects[bandStart].bottom() == y - 1;
        for (qsizetype i = 0; same && i < count; ++i) {
            same = rects[bandStart + i].left() == rects[rowStart + i].left()
                   && rects[bandStart + i].right() == rects[rowStart + i].right();
        }
        if (same) {
            for (qsizetype i = 0; i < count; ++i)
                rects[bandStart + i].setBottom(y);
            rects.resize(rowStart);
        } else {
            bandStart = rowStart;
        }
    }
    QRegion region;
    region.setRects(rects.constData(), int(rects.size()));
    return region;
}

} // namespace pictures::metafile
