#pragma once
// The metafile headers: which kind of file it is, and the picture's own size.

#include "pictures/metafile/metafile.h"

#include <QRectF>
#include <QSize>
#include <QSizeF>
#include <QString>

namespace pictures::metafile {

// What playback needs from the header, and the sizes reported to the caller.
struct PictureFrame {
    Format format = Format::None;
    QSize pixels;         // the picture's own size at 96 dpi
    QSizeF twips;         // the picture's own extent

    // EMF: the frame in reference-device pixels, and that device's resolution.
    QRectF deviceFrame;
    double devicePxPerMmX = 96.0 / 25.4;
    double devicePxPerMmY = 96.0 / 25.4;
    quint32 handleCount = 0;

    // WMF: the logical rectangle that lands on the picture until a record
    // sets the window; the object table size; where the records start.
    QRectF window;
    quint16 objectCount = 0;
    qint64 firstRecord = 0;
};

// Fills frame from the header or describes why the header is unusable.
bool readEmfHeader(const QByteArray &bytes, PictureFrame *frame, QString *error);
bool readWmfHeader(const QByteArray &bytes, PictureFrame *frame, QString *error);

inline constexpr quint32 kEmfSignature = 0x464D4520; // " EMF"
inline constexpr quint32 kPlaceableKey = 0x9AC6CDD7;

} // namespace pictures::metafile
