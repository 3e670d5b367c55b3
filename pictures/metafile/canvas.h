#pragma once
// The device that both record players draw on: the device-context state,
// the mapping from logical units to the output picture, the path bracket
// and clipping, over one QPainter.

#include "pictures/metafile/dc_state.h"
#include "pictures/metafile/header.h"
#include "pictures/work_budget.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <memory>

namespace pictures::metafile {

enum class Mapping {
    Emf, // window/viewport/world, then the reference device onto the picture
    Wmf, // the window lands on the picture; the destination owns the viewport
};

enum class ArcKind { Arc, ArcTo, Chord, Pie };

struct TextRun {
    QPointF reference; // logical
    QString text;
    QList<double> dx;  // logical advances, one per UTF-16 unit; empty for none
    quint32 options = 0;
    QRectF rect;       // logical; used with the opaque and clipped options
};

class Canvas {
public:
    // meter counts the work of drawing; once it is exhausted nothing more is
    // drawn and exhausted() tells the player to stop.
    Canvas(QImage *target, Mapping mapping, const PictureFrame &frame, const View &view,
           WorkMeter *meter);
    ~Canvas();
    Canvas(const Canvas &) = delete;
    Canvas &operator=(const Canvas &) = delete;

    DcState &state() { return m_state; }
    // Call after changing the mapping fields of state().
    void mappingChanged() { m_transformDirty = true; }
    // WMF: a viewport extent the file sets. The first one is the file's
    // picture rectangle in its own device units; later ones and the viewport
    // origin are taken against it.
    void setFileViewportExt(QSizeF ext);
    // Call after changing the clip fields of state().
    void clipChanged() { m_clipDirty = true; }

    void saveDc();
    void restoreDc(int which);

    // Logical units to output pixels; false when the mapping is degenerate,
    // and then drawing records are skipped.
    bool transformUsable();
    const QTransform &transform();
    // Reference-device pixels (where EMF regions live) to output pixels.
    const QTransform &deviceToOutput() const { return m_base; }
    QSize outputSize() const { return m_target->size(); }
    // The whole picture's size in output pixels; the target may hold only a
    // part of it.
    QSizeF pictureSize() const { return m_pictureSize; }

    // Work accounting. A record costs its share before it is played; the
    // player stops once the meter is exhausted.
    bool chargeRecord(qint64 bytes);
    // For decoding a bitmap of that many pixels (weight: per pixel).
    bool chargeBitmap(qint64 pixels, double weight = 1);
    bool exhausted() const { return m_meter->exhausted(); }
    WorkMeter *meter() const { return m_meter; }

    // Shapes, in logical units.
    void moveTo(QPointF p);
    void lineTo(QPointF p);
    void polyline(const QPolygonF &points);
    void polylineTo(const QPolygonF &points);
    void polyBezier(const QPolygonF &points);
    void polyBezierTo(const QPolygonF &points);
    void polygon(const QPolygonF &points);
    void polyPolygon(const QList<QPolygonF> &polygons);
    void polyPolyline(const QList<QPolygonF> &lines);
    void polyDraw(const QPolygonF &points, const QByteArray &types);
    void rectangle(const QRectF &box);
    void roundRect(const QRectF &box, QSizeF corner);
    void ellipse(const QRectF &box);
    void arc(const QRectF &box, QPointF start, QPointF end, ArcKind kind);
    void angleArc(QPointF center, double radius, double startDegrees, double sweepDegrees);
    void setPixel(QPointF p, const QColor &color);

    // The path bracket.
    void beginPath();
    void endPath();
    void closeFigure();
    void abortPath();
    void fillPath();
    void strokePath();
    void strokeAndFillPath();
    void widenPath();
    void selectClipPath(int mode);

    // Clipping. Regions are in output pixels.
    void intersectClipRect(const QRectF &logical);
    void excludeClipRect(const QRectF &logical);
    void offsetClip(QPointF logical);
    void selectClipRegion(const QRegion *region, int mode);
    void setMetaRegion();
    QRegion regionFromDevice(const Region &region) const;
    QRegion regionFromLogical(const Region &region);
    void fillRegion(const QRegion &region, const Brush &brush);
    void frameRegion(const QRegion &region, const Brush &brush, QSizeF logicalSize);
    void invertRegion(const QRegion &region);

    void textOut(const TextRun &run);

    // Bitmaps; dest and source rectangles may have negative sizes (mirroring).
    void blit(const QRectF &dest, const QImage &image, const QRectF &source, quint32 rop);
    void patBlt(const QRectF &dest, quint32 rop);
    void alphaBlend(const QRectF &dest, const QImage &image, const QRectF &source, int opacity);
    void gradientRect(const QRectF &box, const QColor &from, const QColor &to, bool vertical);
    void gradientTriangle(const QPolygonF &triangle, const QColor colors[3]);

    static constexpr int kMaxSavedStates = 1024;
    // The note a player ends with when the meter stopped it.
    static QString overBudgetNote(int record, qint64 offset);

private:
    // Costs of drawing, charged before the drawing is done; false when the
    // work does not fit the budget, and then the drawing is skipped.
    bool affordPath(const QPainterPath &outputPath, bool fill, const QPen &pen);
    bool affordArea(const QRectF &outputRect, double weightPerPixel);
    bool affordText(const QRectF &outputBox, qsizetype glyphs, double pixelSize);
    bool affordImage(const QRectF &logicalDest, const QImage &image, bool copied);
    bool affordRegionOp(qsizetype rects);
    // The part of the target that the current clip leaves open, in output pixels.
    QRectF drawableArea() const;

    void drawShape(const QPainterPath &logical, bool fill, bool stroke);
    void strokeOpen(const QPainterPath &logical) { drawShape(logical, false, true); }
    void continueFigure(const QPainterPath &logicalTail, QPointF newCurrent);
    bool prepare();
    void applyClip();
    // Clips that Qt's raster engine cannot take as a region (see
    // canvas_clip.cpp) are drawn through a snapshot instead.
    bool beginGuardedDrawing();
    void endGuardedDrawing();
    QPen currentPen();
    QBrush brushFor(const Brush &brush);
    bool applyRop2(QPen *pen, QBrush *brush);
    QRegion regionFromOutputPath(const QPainterPath &path) const;
    void combineClip(const QRegion &region, int mode);
    void fillOutputPath(const QPainterPath &outputPath, const QBrush &brush);
    QRectF withoutFarEdges(const QRectF &logicalBox);
    QPainterPath arcPath(const QRectF &box, QPointF start, QPointF end, ArcKind kind,
                         QPointF *arcStart, QPointF *arcEnd) const;

    QImage *m_target;
    std::unique_ptr<QPainter> m_painter;
    Mapping m_mapping;
    PictureFrame m_frame;
    QSizeF m_pictureSize;
    QTransform m_view; // picture pixels at scale to target pixels
    QSizeF m_fileViewport; // WMF: what the file's viewport units are measured against
    bool m_fileViewportSet = false;
    WorkMeter *m_meter;
    QTransform m_base;
    QTransform m_full;
    bool m_fullUsable = false;
    bool m_pageFlipped = false; // the page mapping turns one axis over
    bool m_transformDirty = true;
    bool m_clipDirty = true;

    // The clip as Qt's engine holds it: its bounds, how many spans a fill
    // meets inside it, and for a guarded clip what lies outside it.
    QRect m_clipBounds;
    qint64 m_clipSpans = 0;
    bool m_clipGuarded = false;
    QRegion m_clipOutside;
    QImage m_snapshot; // the clip bounds as they were before the pending drawing
    bool m_snapshotPending = false;

    DcState m_state;
    QList<DcState> m_saved;

    bool m_inPath = false;
    bool m_figureOpen = false;
    QPainterPath m_path; // output pixels
};

} // namespace pictures::metafile
