#pragma once
// Windows metafile (WMF) and enhanced metafile (EMF) pictures, played by our
// own record player over QPainter.
//
// The picture is drawn onto a transparent image: only what the records draw
// is painted, so the container's background shows everywhere else.

#include "pictures/work_budget.h"

#include <QByteArray>
#include <QImage>
#include <QPointF>
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
    // Playback stopped because drawing the rest would pass the work budget
    // (warning says where); the image holds what was drawn until then.
    bool overBudget = false;
};

// Decodes and plays the metafile. Output larger than maxPixels is refused.
// Damaged records stop or are skipped; the picture drawn so far is kept.
// Playback stops once its work passes workBudget (see overBudget).
Rendered render(const QByteArray &bytes, qint64 maxPixels,
                qint64 workBudget = kPictureWorkBudget);

// Which part of the picture lands on a target image: the picture drawn at
// scale (1 = its own size in pixels), its point origin (in scaled pixels)
// at the target's top-left corner.
struct View {
    double scale = 1;
    QPointF origin;
};

// Plays the metafile onto target (already sized and cleared) as view puts
// it there, charging meter; embedded bitmaps up to maxBitmapPixels. Returns
// false with a description when the header is unusable; otherwise true,
// with warning set as render() sets it.
bool renderPart(const QByteArray &bytes, QImage *target, const View &view, WorkMeter *meter,
                qint64 maxBitmapPixels, QString *error, QString *warning = nullptr);

// The picture's own size in pixels (96 dpi) and twips from the header alone,
// without playing it. False with a description when the header is unusable.
bool pictureSize(const QByteArray &bytes, QSize *pixels, QSizeF *twips, QString *error);

} // namespace pictures::metafile
