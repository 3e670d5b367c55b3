#pragma once
// Plays the records of an enhanced metafile onto a picture.

#include "pictures/metafile/header.h"

#include <QByteArray>
#include <QImage>
#include <QString>

namespace pictures::metafile {

// Draws the records onto target (already sized and cleared). Returns a note
// on how playback ended early, or an empty string when it ran to the end.
QString playEmf(const QByteArray &bytes, const PictureFrame &frame, QImage *target,
                qint64 maxBitmapPixels);

} // namespace pictures::metafile
