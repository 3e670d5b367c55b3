#include "pictures/picture_check.h"

#include <QList>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace pictures {

namespace {

const uchar *data(const QByteArray &bytes)
{
    return reinterpret_cast<const uchar *>(bytes.constData());
}

int be16(const uchar *p) { return p[0] << 8 | p[1]; }
int le16(const uchar *p) { return p[0] | p[1] << 8; }
quint32 be32(const uchar *p)
{
    return quint32(p[0]) << 24 | quint32(p[1]) << 16 | quint32(p[2]) << 8 | quint32(p[3]);
}

PictureProbe probe(PictureFault fault, QSize size = {}, QRect firstFrame = {})
{
    PictureProbe p;
    p.fault = fault;
    p.size = size;
    p.firstFrame = firstFrame;
    return p;
}

// Start-of-frame markers; C4 (DHT), C8 (reserved) and CC (DAC) share the range.
bool isStartOfFrame(uchar marker)
{
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// Baseline, extended, progressive and their arithmetic-coded twins are what
// libjpeg decodes; lossless and hierarchical frames are not.
bool isDecodableFrame(uchar marker)
{
    return marker == 0xC0 || marker == 0xC1 || marker == 0xC2 || marker == 0xC9 || marker == 0xCA;
}

} // namespace

RasterKind sniffRaster(const QByteArray &bytes)
{
    static const char png[] = "\x89PNG\r\n\x1a\n";
    if (bytes.startsWith("BM"))
        return RasterKind::Bmp;
    if (bytes.startsWith("\xFF\xD8\xFF"))
        return RasterKind::Jpeg;
    if (bytes.startsWith("GIF87a") || bytes.startsWith("GIF89a"))
        return RasterKind::Gif;
    if (bytes.startsWith(QByteArrayView(png, 8)))
        return RasterKind::Png;
    return RasterKind::None;
}

PictureProbe checkJpeg(const QByteArray &bytes)
{
    const uchar *p = data(bytes);
    const qsizetype n = bytes.size();
    if (n < 3 || p[0] != 0xFF || p[1] != 0xD8)
        return probe(PictureFault::Unsupported);

    QSize size;
    bool haveScan = false;
    qsizetype pos = 2;
    // Blocks per component, padded to whole MCUs as libjpeg allocates them.
    QList<double> componentBlocks;
    QList<int> componentIds;
    double blockScans = 0;
    int scans = 0;
    for (;;) {
        // libjpeg skips stray bytes before a marker with a warning; so do we.
        while (pos < n && p[pos] != 0xFF)
            ++pos;
        while (pos < n && p[pos] == 0xFF)
            ++pos;
        if (pos >= n)
            return probe(PictureFault::Truncated, size);
        const uchar marker = p[pos++];
        if (marker == 0xD9) // end of image
            break;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7))
            continue; // markers without a length
        if (pos + 2 > n)
            return probe(PictureFault::Truncated, size);
        const int length = be16(p + pos);
        if (length < 2)
            return probe(PictureFault::Damaged, size);
        if (pos + length > n)
            return probe(PictureFault::Truncated, size);
        if (isStartOfFrame(marker)) {
            if (length < 8)
                return probe(PictureFault::Damaged, size);
            size = QSize(be16(p + pos + 5), be16(p + pos + 3));
            // A zero height is legal (a DNL marker gives it later) but rare
            // enough not to support.
            if (!isDecodableFrame(marker) || size.isEmpty())
                return probe(PictureFault::Unsupported, size);
            const int components = p[pos + 7];
            if (components < 1 || length < 8 + 3 * components)
                return probe(PictureFault::Damaged, size);
            int hMax = 1, vMax = 1;
            for (int c = 0; c < components; ++c) {
                const int sampling = p[pos + 9 + 3 * c];
                hMax = std::max(hMax, sampling >> 4);
                vMax = std::max(vMax, sampling & 15);
            }
            const double mcusX = std::ceil(size.width() / (8.0 * hMax));
            const double mcusY = std::ceil(size.height() / (8.0 * vMax));
            componentBlocks.clear();
            componentIds.clear();
            for (int c = 0; c < components; ++c) {
                const int sampling = p[pos + 9 + 3 * c];
                componentIds.append(p[pos + 8 + 3 * c]);
                componentBlocks.append(mcusX * mcusY * std::max(1, sampling >> 4)
                                       * std::max(1, sampling & 15));
            }
        }
        if (marker == 0xDA && length >= 3) {
            ++scans;
            const int inScan = p[pos + 2];
            for (int c = 0; c < inScan && 3 + 2 * c < length; ++c) {
                const qsizetype at = componentIds.indexOf(p[pos + 3 + 2 * c]);
                blockScans += at >= 0 ? componentBlocks[at] : 0;
            }
        }
        pos += length;
        if (marker != 0xDA) // start of scan
            continue;
        if (size.isEmpty())
            return probe(PictureFault::Damaged);
        haveScan = true;
        // The entropy-coded data runs to the next marker other than a
        // stuffed zero byte or a restart marker.
        for (;;) {
            const void *ff = std::memchr(p + pos, 0xFF, size_t(n - pos));
            if (!ff)
                return probe(PictureFault::Truncated, size);
            pos = static_cast<const uchar *>(ff) - p;
            if (pos + 1 >= n)
                return probe(PictureFault::Truncated, size);
            const uchar next = p[pos + 1];
            if (next == 0x00 || (next >= 0xD0 && next <= 0xD7))
                pos += 2;
            else if (next == 0xFF)
                ++pos;
            else
                break;
        }
    }
    if (!haveScan)
        return probe(PictureFault::Damaged, size);
    PictureProbe result = probe(PictureFault::None, size);
    result.scans = scans;
    result.decodeWork = double(size.width()) * size.height() * decodework::kJpegPixel
                        + blockScans * decodework::kJpegBlockScan + double(n) * decodework::kByte;
    return result;
}

PictureProbe checkGif(const QByteArray &bytes)
{
    const uchar *p = data(bytes);
    const qsizetype n = bytes.size();
    if (n < 13)
        return probe(PictureFault::Truncated);
    QSize size(le16(p + 6), le16(p + 8));
    qsizetype pos = 13;
    if (p[10] & 0x80) // global colour table
        pos += qsizetype(3) << ((p[10] & 7) + 1);

    // Data sub-blocks end with an empty one; returns false when the file ends first.
    const auto skipSubBlocks = [&]() {
        while (pos < n) {
            const int length = p[pos++];
            if (length == 0)
                return true;
            pos += length;
        }
        return false;
    };

    for (;;) {
        if (pos >= n)
            return probe(PictureFault::Truncated, size);
        const uchar introducer = p[pos++];
        if (introducer == 0x21) { // extension: label, then sub-blocks
            ++pos;
            if (!skipSubBlocks())
                return probe(PictureFault::Truncated, size);
        } else if (introducer == 0x2C) { // the first frame
            if (pos + 9 > n)
                return probe(PictureFault::Truncated, size);
            const QRect frame(le16(p + pos), le16(p + pos + 2), le16(p + pos + 4), le16(p + pos + 6));
            // A frame may stick out of the logical screen; count it all.
            size = size.expandedTo(QSize(frame.right() + 1, frame.bottom() + 1));
            const uchar flags = p[pos + 8];
            pos += 9;
            if (flags & 0x80) // local colour table
                pos += qsizetype(3) << ((flags & 7) + 1);
            ++pos; // LZW minimum code size
            if (pos > n || !skipSubBlocks())
                return probe(PictureFault::Truncated, size);
            PictureProbe result = probe(PictureFault::None, size, frame);
            // Qt walks the whole file once to count its frames.
            result.decodeWork = double(size.width()) * size.height() * decodework::kGifPixel
                                + double(n) * decodework::kByte;
            return result;
        } else {
            // The trailer before any frame, or something that is no block.
            return probe(PictureFault::Damaged, size);
        }
    }
}

PictureProbe checkPng(const QByteArray &bytes)
{
    const uchar *p = data(bytes);
    const qsizetype n = bytes.size();
    qsizetype pos = 8;
    if (pos + 8 + 13 + 4 > n)
        return probe(PictureFault::Truncated);
    if (be32(p + pos) != 13 || std::memcmp(p + pos + 4, "IHDR", 4) != 0)
        return probe(PictureFault::Damaged);
    const quint32 width = be32(p + pos + 8);
    const quint32 height = be32(p + pos + 12);
    if (width == 0 || height == 0 || width > 0x7fffffff || height > 0x7fffffff)
        return probe(PictureFault::Damaged);
    const QSize size{int(width), int(height)};
    const int bitDepth = p[pos + 16];
    const bool interlaced = p[pos + 20] != 0;
    double inflated = 0;
    int textChunks = 0;
    for (;;) {
        if (pos + 8 > n)
            return probe(PictureFault::Truncated, size);
        const quint32 length = be32(p + pos);
        if (length > 0x7fffffff)
            return probe(PictureFault::Damaged, size);
        if (pos + 12 + qsizetype(length) > n)
            return probe(PictureFault::Truncated, size);
        if (std::memcmp(p + pos + 4, "IEND", 4) == 0) {
            PictureProbe result = probe(PictureFault::None, size);
            result.decodeWork = double(size.width()) * size.height() * decodework::kPngPixel
                                    * (interlaced ? 2 : 1) * (bitDepth == 16 ? 2 : 1)
                                + inflated * decodework::kInflateByte + double(n) * decodework::kByte;
            return result;
        }
        // libpng inflates compressed text and colour profiles as it reads
        // them: up to 8 MB each (its limit), for up to 1000 chunks.
        const char *type = reinterpret_cast<const char *>(p + pos + 4);
        if ((std::memcmp(type, "zTXt", 4) == 0 || std::memcmp(type, "iTXt", 4) == 0
             || std::memcmp(type, "iCCP", 4) == 0)
            && textChunks++ < 1000)
            inflated += std::min(8.0e6, double(length) * 1032);
        pos += 12 + qsizetype(length);
    }
}

} // namespace pictures
