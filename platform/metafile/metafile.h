#pragma once
// Windows metafile (WMF) and enhanced metafile (EMF) pictures, played by our
// own record player over QPainter.

#include <QByteArray>
#include <QImage>
#include <QSizeF>
#include <QString>

namespace plat::metafile {

enum class Format { None, Wmf, Emf };

// Recognises the file's header bytes: EMF signature, placeable WMF, or a
// standard WMF header.
Format detect(const QByteArray &bytes);

struct Rendered {
    Format format = Format::None;
    QImage image;          // at the picture's own size in pixels (96 dpi)
    QSizeF extentTwips;    // the picture's own extent
    QString error;         // empty on success
};

// Decodes and plays the metafile. Output larger than maxPixels is refused.
Rendered render(const QByteArray &bytes, qint64 maxPixels);

} // namespace plat::metafile
