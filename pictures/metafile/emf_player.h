#pragma once
// Plays the records of an enhanced metafile onto a picture.

#include "pictures/metafile/canvas.h"
#include "pictures/metafile/header.h"

#include <QByteArray>
#include <QImage>
#include <QString>

namespace pictures::metafile {

// Draws the records onto target (already sized and cleared), the part of
// the picture that view puts there. Returns a note on how playback ended
// early, or an empty string when it ran to the end; it stops when meter is
// exhausted.
QString playEmf(const QByteArray &bytes, const PictureFrame &frame, QImage *target,
                const View &view, WorkMeter *meter, qint64 maxBitmapPixels);

} // namespace pictures::metafile
