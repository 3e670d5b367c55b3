#pragma once
// Windows metafile (WMF) and enhanced metafile (EMF) pictures, played by our
// own record player over QPainter.
//
// The picture is drawn onto a transparent image: only what the records draw
// is painted, so the container's background shows everywhere else.

#include <QByteArray>
#include <QImage>
#include <QSizeF>
#include <QString>

namespace pictures::metafile {

enum class Format { None, Wmf, Emf };

// Recognises the file's header bytes: EMF signature, placeable WMF, or a
// standard WMF header.
Format detect(const QByteArray &bytes);

struct Rendered {
    Format format = Format::None;
    QImage image;          // at the picture's own size in pixels (96 dpi), ARGB32 premultiplied
    QSizeF extentTwips;    // the picture's own extent
    QString error;         // empty on success
    QString warning;       // on success: why playback stopped before the end, if it did
};

// Decodes and plays the metafile. Output larger than maxPixels is refused.
// Damaged records stop or are skipped; the picture drawn so far is kept.
Rendered render(const QByteArray &bytes, qint64 maxPixels);

// The picture's own size in pixels (96 dpi) and twips from the header alone,
// without playing it. False with a description when the header is unusable.
bool pictureSize(const QByteArray &bytes, QSize *pixels, QSizeF *twips, QString *error);

} // namespace pictures::metafile
