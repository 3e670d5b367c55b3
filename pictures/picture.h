#pragma once
// A picture loaded from a user's file, as the windows show it.

#include <QByteArray>
#include <QImage>
#include <QSizeF>
#include <QString>

class QPainter;

namespace pictures {

enum class PictureKind { None, Bmp, Jpeg, Gif, Png, Wmf, Emf };

struct Picture {
    PictureKind kind = PictureKind::None;
    // Rendered at its own size in pixels (96 dpi). Null for PictureKind::None,
    // and for a metafile too large to raster whole: that one is kept as its
    // file's bytes (vector) and drawn a part at a time (drawPicture).
    QImage image;
    QByteArray vector;
    QSize vectorSize;
    // The picture's own extent in twips: pixels x 15 for bitmaps, the
    // metafile's stored extent for metafiles.
    QSizeF extentTwips;

    bool isNull() const { return kind == PictureKind::None; }
    QSize pixelSize() const { return vector.isEmpty() ? image.size() : vectorSize; }
};

// Outcome of loading a file: a picture, or a readable description of why not.
struct PictureResult {
    Picture picture;
    QString error; // empty on success
    // The technical reason behind error, for the error output; may be empty.
    QString detail;

    bool ok() const { return error.isEmpty(); }
};

// Upper bound on the decoded pixels of one picture (a 50 x 65,535 strip fits
// easily; a decompression bomb does not).
inline constexpr qint64 kMaxPicturePixels = 64LL * 1024 * 1024;

// Loads the picture at path. An empty path gives an empty picture (success).
// The kind comes from the content, never from the file name. A failure's
// error is a short Japanese sentence for the user ("対応している種類の画像では
// ありません。", "画像が大きすぎます（W × H ピクセル）。", ...) that names no
// file; it carries no picture.
// Pixels come as RGB32, or ARGB32_Premultiplied where the picture has
// transparent parts (GIF transparency, BMP alpha, unpainted RLE pixels).
PictureResult loadPicture(const QString &path);
// Loads a picture from bytes already read; name is not used in messages.
PictureResult decodePicture(const QByteArray &bytes, const QString &name = {});

QString pictureKindName(PictureKind kind);

// Draws the part area (in the picture's pixels) of picture at the same place
// in painter's coordinates. A vector picture plays its records for that part
// alone, within one repaint's work budget.
void drawPicture(QPainter *painter, const Picture &picture, const QRect &area);

} // namespace pictures
