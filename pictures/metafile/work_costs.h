#pragma once
// What the metafile canvas's drawing costs, in the units of WorkMeter (one
// solid pixel fill). The weights come from bench/bench_picture_work: each
// is the measured time of that kind of work over the time of one pixel
// fill, rounded up, so that estimates err on the side of refusing.

#include <QPainterPath>
#include <QRectF>
#include <QSize>

namespace pictures::metafile::work {

inline constexpr double kFillPixel = 1;     // a pixel of a solid fill
inline constexpr double kPatternPixel = 3;  // a pixel of a hatch, pattern or gradient
inline constexpr double kCopyPixel = 1;     // a pixel copied aside and back
inline constexpr double kImagePixel = 4;    // a pixel of a drawn (scaled) bitmap
inline constexpr double kDecodePixel = 4;   // a pixel of an embedded bitmap decoded
inline constexpr double kEdgeRow = 12;      // one edge of a filled outline crossing one row
inline constexpr double kPathElement = 60;  // a point of an outline: mapped, clipped, stroked
inline constexpr double kCurveSegments = 24; // lines a curve becomes
inline constexpr double kLinePixel = 6;     // a pixel along a thin line
inline constexpr double kClipSpan = 2;      // a span of a many-rectangle clip met by one fill
inline constexpr double kRegionRect = 40;   // a rectangle through a region operation
inline constexpr double kGlyph = 10000;     // laying out and looking up one glyph
inline constexpr double kGlyphPixel = 8;    // a pixel of a glyph
inline constexpr double kGlyphOutlineEdges = 150; // edges of a glyph drawn as an outline
inline constexpr double kRecord = 60;       // reading and dispatching one record
inline constexpr double kRecordByte = 0.25; // per byte of a record's parameters
inline constexpr double kScanCrossing = 4;  // an edge crossing a row in our own scan conversion
// Qt's aliased rasteriser sorts each row's crossings by insertion: a row
// that n edges cross costs about n * n / 2 of these.
inline constexpr double kActivePair = 6;

// Qt draws glyphs above this size as outlines rather than from its cache.
inline constexpr double kCachedGlyphPixels = 64;

// An outline's shape as the rasteriser meets it within a window of rows
// and columns: how many edge-rows it scans, how many elements it holds,
// and its length near the window (for strokes).
struct PathWork {
    double edgeRows = 0;
    double activePairs = 0; // the sum over rows of the square of the edges crossing it
    double elements = 0;
    double length = 0;
    QRectF bounds;
};
PathWork measurePath(const QPainterPath &path, const QRectF &window, double margin = 0);

// Building a region of that many rectangles.
double regionBuildCost(qsizetype rects);

} // namespace pictures::metafile::work
