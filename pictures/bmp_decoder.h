#pragma once
// Our own BMP reader. Qt's accepts a cut-off file without complaint and lacks
// some variants, so BMP files never go through it.
//
// Reads the Windows headers (BITMAPINFOHEADER up to V5) and the OS/2 ones
// (the 12-byte 1.x core header and the 2.x header), 1, 4, 8, 16, 24 and
// 32 bits per pixel, RLE4 and RLE8, bit fields (with or without alpha), and
// bottom-up or top-down rows.

#include "pictures/picture_check.h"

#include <QByteArray>
#include <QImage>

namespace pictures::bmp {

struct Decoded {
    PictureFault fault = PictureFault::None;
    QSize size;   // the size the header claims, once it was read
    QImage image; // RGB32, or ARGB32_Premultiplied when the file has alpha
};

// Decodes a whole BMP file. A picture of more than maxPixels pixels is
// refused before anything is allocated; so is a file that stops short of
// the pixel data its header claims.
Decoded decode(const QByteArray &bytes, qint64 maxPixels);

} // namespace pictures::bmp
