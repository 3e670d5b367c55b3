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
    // What decoding the picture will cost, in the units of WorkMeter
    // (pictures/work_budget.h), estimated from its structure: pixels, and
    // for a JPEG every block of every scan.
    double decodeWork = 0;
    int scans = 0; // JPEG only
};

// The weights of decoding (one unit: a pixel filled with a solid colour,
// about 0.4 ns on the development machine), from the time Qt's readers and
// ours take over 8192-pixel pictures of noise, each kind at its slowest
// (docs/benchmarks.md, "Picture decoding").
namespace decodework {
inline constexpr double kByte = 0.5;          // reading and walking a byte of the file
inline constexpr double kJpegPixel = 40;      // a pixel through the inverse DCT and colour conversion
inline constexpr double kJpegBlockScan = 700; // a block of a component met by one scan
inline constexpr double kGifPixel = 65;       // a pixel of the first frame's screen
inline constexpr double kPngPixel = 45;       // a pixel unfiltered and converted
inline constexpr double kInflateByte = 3;     // a byte out of a compressed text or profile chunk
inline constexpr double kBmpPixel = 24;       // a pixel of our own BMP decoder
inline constexpr double kConvertPixel = 2;    // a pixel brought to the format we draw
} // namespace decodework

enum class RasterKind { None, Bmp, Jpeg, Gif, Png };

// Recognises a raster picture by its signature bytes.
RasterKind sniffRaster(const QByteArray &bytes);

// Each walks the file's blocks up to the end of the (first) picture.
PictureProbe checkJpeg(const QByteArray &bytes);
PictureProbe checkGif(const QByteArray &bytes);
PictureProbe checkPng(const QByteArray &bytes);

} // namespace pictures
