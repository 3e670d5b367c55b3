#pragma once
// Device-independent bitmaps as metafiles embed them: every depth, the
// core and info headers, bit-field masks, run-length compression and the
// embedded JPEG/PNG forms.

#include "pictures/metafile/reader.h"
#include "pictures/work_budget.h"

#include <QImage>
#include <QList>

namespace pictures::metafile {

struct DibOptions {
    bool paletteIndices = false; // the colour table holds indices into the palette
    bool keepAlpha = false;      // 32-bit pixels carry premultiplied alpha
    qint64 maxPixels = 0;        // larger bitmaps are refused
    QList<QRgb> palette;         // the selected logical palette, for paletteIndices
    WorkMeter *meter = nullptr;  // charged for the decoding; a bitmap it refuses is not decoded
};

// info holds the header and colour table, bits the pixels. Returns a null
// image for anything damaged, unsupported or too large.
QImage decodeDib(Reader info, Reader bits, const DibOptions &options);

// A packed bitmap: header, colour table and pixels in one run.
QImage decodePackedDib(Reader packed, const DibOptions &options);

// True when the bitmap's rows are stored bottom row first (the usual way);
// source rectangles of such bitmaps count their y from the bottom.
bool dibIsBottomUp(Reader info);

// A copy in which opaque pixels of the key colour are transparent.
QImage withColorKey(const QImage &image, QRgb key);

} // namespace pictures::metafile
