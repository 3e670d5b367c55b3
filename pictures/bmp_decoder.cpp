#include "pictures/bmp_decoder.h"

#include <algorithm>
#include <array>
#include <bit>
#include <climits>
#include <cstdint>

namespace pictures::bmp {

namespace {

enum Compression : quint32 { Rgb = 0, Rle8 = 1, Rle4 = 2, BitFields = 3, AlphaBitFields = 6 };

quint32 le16(const uchar *p) { return quint32(p[0]) | quint32(p[1]) << 8; }
quint32 le32(const uchar *p)
{
    return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
}

// One channel of a bit-fields pixel, scaled to 0..255 whatever its width.
class Channel {
public:
    Channel() = default;
    explicit Channel(quint32 mask)
        : m_mask(mask), m_shift(mask ? std::countr_zero(mask) : 0), m_max(mask >> m_shift)
    {
    }
    bool isPresent() const { return m_mask != 0; }
    int value(quint32 pixel) const
    {
        if (m_max == 0)
            return 0;
        return int((quint64((pixel & m_mask) >> m_shift) * 255 + m_max / 2) / m_max);
    }

private:
    quint32 m_mask = 0;
    int m_shift = 0;
    quint32 m_max = 0;
};

struct Header {
    qint64 width = 0;
    qint64 height = 0;
    bool topDown = false;
    int bitCount = 0;
    quint32 compression = Rgb;
    std::array<Channel, 4> channels; // red, green, blue, alpha
    std::array<QRgb, 256> palette{}; // unused entries stay black
    qint64 dataOffset = 0;

    bool hasAlpha() const { return channels[3].isPresent(); }
};

bool isSupported(int bitCount, quint32 compression)
{
    switch (compression) {
    case Rgb: return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16
                  || bitCount == 24 || bitCount == 32;
    case Rle8: return bitCount == 8;
    case Rle4: return bitCount == 4;
    case BitFields:
    case AlphaBitFields: return bitCount == 16 || bitCount == 32;
    default: return false; // embedded JPEG or PNG, OS/2 Huffman or RLE24
    }
}

PictureFault readHeader(const uchar *p, qint64 n, Header &h)
{
    if (n < 18)
        return PictureFault::Truncated;
    const quint32 dataOffset = le32(p + 10);
    const quint32 headerSize = le32(p + 14);
    if (headerSize < 12 || (headerSize > 12 && headerSize < 16) || headerSize > 4096)
        return PictureFault::Unsupported;
    if (14 + qint64(headerSize) > n)
        return PictureFault::Truncated;
    const uchar *info = p + 14;

    int paletteEntrySize = 4;
    quint32 coloursUsed = 0;
    if (headerSize == 12) { // OS/2 1.x core header: 16-bit unsigned sizes, RGB triples
        h.width = le16(info + 4);
        h.height = le16(info + 6);
        h.bitCount = int(le16(info + 10));
        paletteEntrySize = 3;
    } else {
        h.width = qint32(le32(info + 4));
        const qint32 height = qint32(le32(info + 8));
        if (height == INT32_MIN)
            return PictureFault::Damaged;
        h.topDown = height < 0;
        h.height = qAbs(qint64(height));
        h.bitCount = int(le16(info + 14));
        h.compression = headerSize >= 20 ? le32(info + 16) : Rgb;
        coloursUsed = headerSize >= 36 ? le32(info + 32) : 0;
        // OS/2 2.x reuses compression 3 and 4 for Huffman and RLE24.
        const bool os2 = headerSize == 64 || headerSize < 40;
        if (os2 && h.compression >= BitFields)
            return PictureFault::Unsupported;
    }
    if (h.width <= 0 || h.height <= 0)
        return PictureFault::Damaged;
    if (!isSupported(h.bitCount, h.compression))
        return PictureFault::Unsupported;

    qint64 pos = 14 + qint64(headerSize);
    if (h.compression == BitFields || h.compression == AlphaBitFields) {
        std::array<quint32, 4> masks{};
        if (headerSize >= 52) { // the masks are part of the V2 and later headers
            for (int i = 0; i < 3; ++i)
                masks[i] = le32(info + 40 + 4 * i);
            if (headerSize >= 56)
                masks[3] = le32(info + 52);
        } else { // after a plain info header
            const int count = h.compression == AlphaBitFields ? 4 : 3;
            if (pos + 4 * count > n)
                return PictureFault::Truncated;
            for (int i = 0; i < count; ++i)
                masks[i] = le32(p + pos + 4 * i);
            pos += 4 * count;
        }
        for (int i = 0; i < 4; ++i)
            h.channels[i] = Channel(masks[i]);
    } else if (h.bitCount == 16) {
        h.channels = {Channel(0x7c00), Channel(0x03e0), Channel(0x001f), Channel()};
    } else if (h.bitCount == 32) {
        h.channels = {Channel(0xff0000), Channel(0x00ff00), Channel(0x0000ff), Channel()};
    }

    if (h.bitCount <= 8) {
        const qint64 maxColours = qint64(1) << h.bitCount;
        qint64 count = coloursUsed ? std::min<qint64>(coloursUsed, maxColours) : maxColours;
        // Writers often leave the count at zero yet store a shorter palette;
        // where the pixel data begins tells how long it really is.
        if (dataOffset >= pos && dataOffset < pos + count * paletteEntrySize)
            count = (dataOffset - pos) / paletteEntrySize;
        if (pos + count * paletteEntrySize > n)
            return PictureFault::Truncated;
        for (qint64 i = 0; i < count; ++i) {
            const uchar *entry = p + pos + i * paletteEntrySize;
            h.palette[size_t(i)] = qRgb(entry[2], entry[1], entry[0]);
        }
        pos += count * paletteEntrySize;
    }
    h.dataOffset = dataOffset >= pos ? qint64(dataOffset) : pos;
    if (h.dataOffset > n)
        return PictureFault::Truncated;
    return PictureFault::None;
}

QRgb fromChannels(const Header &h, quint32 pixel, bool &anyAlpha)
{
    const int alpha = h.hasAlpha() ? h.channels[3].value(pixel) : 255;
    anyAlpha = anyAlpha || alpha != 0;
    return qRgba(h.channels[0].value(pixel), h.channels[1].value(pixel),
                 h.channels[2].value(pixel), alpha);
}

QRgb *row(QImage &image, const Header &h, qint64 fileRow)
{
    const int y = int(h.topDown ? fileRow : h.height - 1 - fileRow);
    return reinterpret_cast<QRgb *>(image.scanLine(y));
}

PictureFault decodeUncompressed(const uchar *p, qint64 n, const Header &h, QImage &image)
{
    const qint64 rowBits = h.width * h.bitCount;
    const qint64 stride = (rowBits + 31) / 32 * 4;
    // The last row's padding is often left out; its pixels are not.
    if (h.dataOffset + stride * (h.height - 1) + (rowBits + 7) / 8 > n)
        return PictureFault::Truncated;

    bool anyAlpha = false;
    const int width = int(h.width);
    for (qint64 r = 0; r < h.height; ++r) {
        const uchar *src = p + h.dataOffset + r * stride;
        QRgb *dst = row(image, h, r);
        switch (h.bitCount) {
        case 1:
        case 4:
        case 8: {
            const int perByte = 8 / h.bitCount;
            const int mask = (1 << h.bitCount) - 1;
            for (int x = 0; x < width; ++x) {
                const int shift = 8 - h.bitCount * (x % perByte + 1);
                dst[x] = h.palette[(src[x / perByte] >> shift) & mask];
            }
            break;
        }
        case 16:
            for (int x = 0; x < width; ++x)
                dst[x] = fromChannels(h, le16(src + 2 * x), anyAlpha);
            break;
        case 24:
            for (int x = 0; x < width; ++x)
                dst[x] = qRgb(src[3 * x + 2], src[3 * x + 1], src[3 * x]);
            break;
        case 32:
            for (int x = 0; x < width; ++x)
                dst[x] = fromChannels(h, le32(src + 4 * x), anyAlpha);
            break;
        }
    }
    // An alpha channel that is zero everywhere is a writer's slip, not an
    // invisible picture.
    if (h.hasAlpha() && !anyAlpha) {
        for (int y = 0; y < image.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
            for (int x = 0; x < width; ++x)
                line[x] |= 0xff000000u;
        }
        image.reinterpretAsFormat(QImage::Format_RGB32);
    }
    return PictureFault::None;
}

// RLE pixels that the stream skips (by a delta, or by ending a row or the
// picture early) stay transparent, as when the platform draws such a bitmap.
// The stream must end the picture or at least cover all its rows.
PictureFault decodeRle(const uchar *p, qint64 n, const Header &h, QImage &image)
{
    const bool four = h.compression == Rle4;
    image.fill(Qt::transparent);
    qint64 x = 0;
    qint64 y = 0;
    qint64 written = 0;
    const auto put = [&](uchar index) {
        if (x < h.width && y < h.height) {
            row(image, h, y)[x] = h.palette[index];
            ++written;
        }
        ++x;
    };

    bool ended = false;
    qint64 pos = h.dataOffset;
    while (!ended && y < h.height && pos + 2 <= n) {
        const int count = p[pos];
        const uchar value = p[pos + 1];
        pos += 2;
        if (count > 0) { // a run of one index (RLE8) or two alternating ones (RLE4)
            for (int i = 0; i < count; ++i)
                put(four ? ((i & 1) ? value & 0x0f : value >> 4) : value);
        } else if (value == 0) { // end of row
            x = 0;
            ++y;
        } else if (value == 1) { // end of picture
            ended = true;
        } else if (value == 2) { // move right and up
            if (pos + 2 > n)
                break;
            x += p[pos];
            y += p[pos + 1];
            pos += 2;
        } else { // a literal run, padded to a 16-bit boundary
            const qint64 bytes = four ? (value + 1) / 2 : value;
            if (pos + bytes > n)
                break;
            for (int i = 0; i < value; ++i)
                put(four ? ((i & 1) ? p[pos + i / 2] & 0x0f : p[pos + i / 2] >> 4) : p[pos + i]);
            pos += (bytes + 1) & ~qint64(1);
        }
    }
    const bool covered = y >= h.height || (y == h.height - 1 && x >= h.width);
    if (!ended && !covered)
        return PictureFault::Truncated;
    if (written == h.width * h.height)
        image.reinterpretAsFormat(QImage::Format_RGB32);
    return PictureFault::None;
}

} // namespace

Decoded decode(const QByteArray &bytes, qint64 maxPixels)
{
    const auto *p = reinterpret_cast<const uchar *>(bytes.constData());
    const qint64 n = bytes.size();
    Decoded out;
    Header h;
    out.fault = readHeader(p, n, h);
    if (h.width > 0 && h.height > 0 && h.width <= INT_MAX && h.height <= INT_MAX)
        out.size = QSize(int(h.width), int(h.height));
    if (out.fault != PictureFault::None)
        return out;
    if (h.width * h.height > maxPixels) {
        out.fault = PictureFault::TooLarge;
        return out;
    }

    const bool rle = h.compression == Rle8 || h.compression == Rle4;
    QImage image(int(h.width), int(h.height),
                 rle || h.hasAlpha() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (image.isNull()) { // the allocation failed
        out.fault = PictureFault::TooLarge;
        return out;
    }
    out.fault = rle ? decodeRle(p, n, h, image) : decodeUncompressed(p, n, h, image);
    if (out.fault != PictureFault::None)
        return out;
    if (image.format() == QImage::Format_ARGB32)
        image.convertTo(QImage::Format_ARGB32_Premultiplied);
    out.image = std::move(image);
    return out;
}

} // namespace pictures::bmp
