#pragma once
// Internals of the sixteen-bit metafile player, shared by its source files.

#include "pictures/metafile/canvas.h"
#include "pictures/metafile/dib.h"
#include "pictures/metafile/gdi_objects.h"
#include "pictures/metafile/reader.h"

namespace pictures::metafile {

class WmfPlayer {
public:
    WmfPlayer(QImage *target, const PictureFrame &frame, const View &view, WorkMeter *meter,
              qint64 maxBitmapPixels);
    QString play(const QByteArray &bytes, qint64 firstRecord);

private:
    // r covers the record's parameters, which the format stores last first.
    void playRecord(quint16 function, Reader &r);
    bool playState(quint16 function, Reader &r);
    bool playShape(quint16 function, Reader &r);
    bool playObject(quint16 function, Reader &r);
    bool playRegion(quint16 function, Reader &r);
    bool playText(quint16 function, Reader &r);
    bool playBitmap(quint16 function, Reader &r);

    const Region *region(quint16 index) const;
    QImage packedDib(Reader r, quint16 usage) const;

    Canvas m_canvas;
    ObjectTable m_objects;
    QList<QRgb> m_palette;
    qint64 m_maxBitmapPixels;
};

// A rectangle stored bottom, right, top, left.
QRectF readReversedRect(Reader &r);
// A point stored y, x.
QPointF readReversedPoint(Reader &r);
// The old device-dependent bitmap (one bit, or 24 or 32 bits a pixel), its
// header followed by reservedBytes before the rows; null when unreadable.
QImage readBitmap16(Reader &r, qint64 maxPixels, int reservedBytes = 0);

} // namespace pictures::metafile
