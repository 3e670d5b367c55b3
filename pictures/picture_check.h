#pragma once
// Structural checks of picture files made before any pixel is decoded: they
// find the kind, the size the file claims, and whether the file holds all of
// the picture. Qt's readers happily return a half-grey JPEG or an empty GIF
// frame for a cut-off file; these checks let the loader refuse it instead.

#include <QByteArray>
#include <QRect>
#include <QSize>

namespace pictures {

enum class PictureFault {
    None,
    Unsupported, // not a kind or a variant that we read
    Truncated,   // the file stops before the picture does
    Damaged,     // the structure is broken
    TooLarge,    // the claimed size passes the pixel limit
};

struct PictureProbe {
    PictureFault fault = PictureFault::None;
    QSize size; // the size the file claims, when its header was read
    QRect firstFrame; // GIF only: where the first frame lies on the screen
};

enum class RasterKind { None, Bmp, Jpeg, Gif, Png };

// Recognises a raster picture by its signature bytes.
RasterKind sniffRaster(const QByteArray &bytes);

// Each walks the file's blocks up to the end of the (first) picture.
PictureProbe checkJpeg(const QByteArray &bytes);
PictureProbe checkGif(const QByteArray &bytes);
PictureProbe checkPng(const QByteArray &bytes);

} // namespace pictures
