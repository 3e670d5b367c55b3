#pragma once
// Internals of the enhanced-metafile player, shared by its source files.

#include "pictures/metafile/canvas.h"
#include "pictures/metafile/dib.h"
#include "pictures/metafile/gdi_objects.h"
#include "pictures/metafile/reader.h"

namespace pictures::metafile {

class EmfPlayer {
public:
    EmfPlayer(QImage *target, const PictureFrame &frame, const View &view, WorkMeter *meter,
              qint64 maxBitmapPixels);
    QString play(const QByteArray &bytes);

private:
    // rec covers the whole record; r is positioned after its type and size.
    void playRecord(quint32 type, const Reader &rec, Reader &r);
    bool playState(quint32 type, Reader &r);
    bool playObject(quint32 type, const Reader &rec, Reader &r);
    bool playShape(quint32 type, Reader &r);
    bool playPath(quint32 type, Reader &r);
    bool playRegion(quint32 type, Reader &r);
    bool playText(quint32 type, const Reader &rec, Reader &r);
    bool playBitmap(quint32 type, const Reader &rec, Reader &r);
    void gradientFill(Reader &r);

    void select(quint32 index);
    QImage bitmap(const Reader &rec, quint32 offInfo, quint32 cbInfo, quint32 offBits,
                  quint32 cbBits, quint32 usage, bool keepAlpha, bool *bottomUp = nullptr) const;
    bool readRegion(Reader r, quint32 size, Region *region) const;

    Canvas m_canvas;
    ObjectTable m_objects;
    QList<QRgb> m_palette;
    qint64 m_maxBitmapPixels;
};

QPointF readPointL(Reader &r);
QRectF readRectL(Reader &r);
// count points of 32 bits (or 16 when small), or an empty polygon when the
// record does not hold them.
QPolygonF readPoints(Reader &r, quint32 count, bool small);

} // namespace pictures::metafile
