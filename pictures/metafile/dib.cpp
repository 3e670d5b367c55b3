#include "pictures/metafile/dib.h"

#include "pictures/metafile/work_costs.h"
#include "pictures/picture_check.h"

#include <QBuffer>
#include <QImageReader>

#include <bit>

namespace pictures::metafile {

namespace {

constexpr quint32 kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitfields = 3, kBiJpeg = 4, kBiPng = 5,
                  kBiAlphaBitfields = 6;

struct DibHeader {
    qint64 headerSize = 0;
    qint64 width = 0;
    qint64 height = 0; // positive: rows stored bottom-up
    int bpp = 0;
    quint32 compression = kBiRgb;
    quint32 colorsUsed = 0;
    bool core = false;
    quint32 masks[4] = {0, 0, 0, 0};
    bool hasMasks = false;
};

bool readHeader(Reader &r, DibHeader *h)
{
    h->headerSize = r.u32();
    if (h->headerSize == 12) {
        h->core = true;
        h->width = r.u16();
        h->height = r.i16();
        r.u16();
        h->bpp = r.u16();
        return r.ok();
    }
    if (h->headerSize < 40 || h->headerSize > 1024)
        return false;
    h->width = r.i32();
    h->height = r.i32();
    r.u16(); // planes
    h->bpp = r.u16();
    h->compression = r.u32();
    r.skip(12); // image size, resolution
    h->colorsUsed = r.u32();
    r.u32();
    if (h->headerSize >= 52) {
        for (int i = 0; i < (h->headerSize >= 56 ? 4 : 3); ++i)
            h->masks[i] = r.u32();
        h->hasMasks = true;
    }
    r.seek(h->headerSize);
    return r.ok();
}

struct Channel {
    quint32 mask = 0;
    int shift = 0;
    quint32 max = 0;
    explicit Channel(quint32 m = 0) : mask(m)
    {
        if (m) {
            shift = std::countr_zero(m);
            max = m >> shift;
        }
    }
    int value(quint32 px, int fallback = 0) const
    {
        if (!mask)
            return fallback;
        return int(((px & mask) >> shift) * 255 / max);
    }
};

// An embedded JPEG is held to the same estimate as a JPEG file: a small one
// can hold thousands of scans.
double compressedDecodeWork(const DibHeader &h, const QByteArray &data)
{
    const PictureProbe probe = h.compression == kBiJpeg ? checkJpeg(data) : checkPng(data);
    if (probe.fault != PictureFault::None)
        return double(data.size()) * decodework::kByte; // Qt's reader gives up early
    return probe.decodeWork;
}

QImage decodeCompressed(const DibHeader &h, Reader bits, const DibOptions &options)
{
    QImageReader reader;
    QByteArray data(bits.data(), qsizetype(bits.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    reader.setDevice(&buffer);
    reader.setFormat(h.compression == kBiJpeg ? "jpeg" : "png");
    const QSize size = reader.size();
    if (!size.isValid() || qint64(size.width()) * size.height() > options.maxPixels)
        return {};
    if (options.meter && !options.meter->charge(compressedDecodeWork(h, data)))
        return {};
    return reader.read();
}

QImage decodeRle(const DibHeader &h, Reader bits, const QList<QRgb> &table)
{
    QImage image(int(h.width), int(h.height), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return {};
    image.fill(0);
    const bool four = h.compression == kBiRle4;
    qint64 x = 0, row = 0; // row counts from the bottom
    auto put = [&](int index) {
        if (x < h.width && row < h.height && index < table.size()) {
            reinterpret_cast<QRgb *>(image.scanLine(int(h.height - 1 - row)))[x]
                = table[index] | 0xFF000000;
        }
        ++x;
    };
    while (bits.has(2) && row < h.height) {
        const int count = bits.u8(), value = bits.u8();
        if (count > 0) {
            for (int i = 0; i < count && x < h.width; ++i)
                put(four ? ((i % 2) ? value & 0x0F : value >> 4) : value);
            continue;
        }
        if (value == 0) {
            x = 0;
            ++row;
        } else if (value == 1) {
            break;
        } else if (value == 2) {
            x += bits.u8();
            row += bits.u8();
        } else {
            const int bytes = four ? (value + 1) / 2 : value;
            int pair = 0;
            for (int i = 0; i < value && bits.ok(); ++i) {
                if (four) {
                    if (i % 2 == 0 && !bits.has(1))
                        break;
                    if (i % 2 == 0)
                        pair = bits.u8();
                    put((i % 2) ? pair & 0x0F : pair >> 4);
                } else {
                    put(bits.u8());
                }
            }
            if (bytes % 2)
                bits.skip(1);
        }
    }
    return image;
}

} // namespace

QImage decodeDib(Reader info, Reader bits, const DibOptions &options)
{
    DibHeader h;
    if (!readHeader(info, &h))
        return {};
    if (h.compression == kBiJpeg || h.compression == kBiPng)
        return bits.ok() ? decodeCompressed(h, bits, options) : QImage();
    const bool topDown = h.height < 0;
    const qint64 height = topDown ? -h.height : h.height;
    if (h.width <= 0 || height <= 0 || h.width > 65535 || height > 65535
        || h.width * height > options.maxPixels)
        return {};
    if (h.bpp != 1 && h.bpp != 4 && h.bpp != 8 && h.bpp != 16 && h.bpp != 24 && h.bpp != 32)
        return {};
    if (options.meter && !options.meter->charge(double(h.width) * height * work::kDecodePixel))
        return {};

    if ((h.compression == kBiBitfields || h.compression == kBiAlphaBitfields) && !h.hasMasks) {
        h.masks[0] = info.u32();
        h.masks[1] = info.u32();
        h.masks[2] = info.u32();
        if (h.compression == kBiAlphaBitfields)
            h.masks[3] = info.u32();
        h.hasMasks = true;
    }

    // The colour table.
    QList<QRgb> table;
    if (h.bpp <= 8) {
        const qint64 entries = h.colorsUsed && h.colorsUsed < (1u << h.bpp) ? h.colorsUsed : (1 << h.bpp);
        for (qint64 i = 0; i < entries && info.ok(); ++i) {
            if (options.paletteIndices) {
                const quint16 index = info.u16();
                table.append(index < options.palette.size() ? options.palette[index]
                             : h.bpp == 1 ? (index ? 0xFFFFFFFF : 0xFF000000)
                                          : qRgb(index & 0xFF, index & 0xFF, index & 0xFF));
            } else if (h.core) {
                const int b = info.u8(), g = info.u8(), r = info.u8();
                table.append(qRgb(r, g, b));
            } else {
                table.append(info.u32() | 0xFF000000);
            }
        }
        if (!info.ok())
            return {};
    }
    if (!bits.ok())
        return {};
    h.height = height;

    if (h.compression == kBiRle8 || h.compression == kBiRle4) {
        if (topDown || (h.compression == kBiRle8) != (h.bpp == 8))
            return {};
        return decodeRle(h, bits, table);
    }
    if (h.compression != kBiRgb && h.compression != kBiBitfields
        && h.compression != kBiAlphaBitfields)
        return {};
    if (h.bpp <= 8 && table.isEmpty())
        return {};

    const qint64 stride = ((h.width * h.bpp + 31) / 32) * 4;
    if (bits.size() < stride * height)
        return {}; // the bitmap claims more than the file holds

    const bool alpha = options.keepAlpha && h.bpp == 32;
    QImage image(int(h.width), int(height),
                 alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (image.isNull())
        return {};
    const bool fields = h.compression != kBiRgb;
    Channel red(fields ? h.masks[0] : (h.bpp == 16 ? 0x7C00 : 0xFF0000));
    Channel green(fields ? h.masks[1] : (h.bpp == 16 ? 0x03E0 : 0x00FF00));
    Channel blue(fields ? h.masks[2] : (h.bpp == 16 ? 0x001F : 0x0000FF));
    Channel alphaChannel(fields ? h.masks[3] : (alpha ? 0xFF000000 : 0));

    const auto *base = reinterpret_cast<const uchar *>(bits.data());
    const qsizetype tableSize = table.size();
    for (qint64 row = 0; row < height; ++row) {
        const uchar *src = base + row * stride;
        auto *dst = reinterpret_cast<QRgb *>(image.scanLine(int(topDown ? row : height - 1 - row)));
        for (qint64 x = 0; x < h.width; ++x) {
            QRgb px;
            switch (h.bpp) {
            case 1: {
                const int i = (src[x / 8] >> (7 - x % 8)) & 1;
                px = i < tableSize ? table[i] : 0xFF000000;
                break;
            }
            case 4: {
                const int i = (x % 2) ? src[x / 2] & 0x0F : src[x / 2] >> 4;
                px = i < tableSize ? table[i] : 0xFF000000;
                break;
            }
            case 8: px = src[x] < tableSize ? table[src[x]] : 0xFF000000; break;
            case 24: px = qRgb(src[3 * x + 2], src[3 * x + 1], src[3 * x]); break;
            default: {
                const quint32 v = h.bpp == 16 ? quint32(src[2 * x] | (src[2 * x + 1] << 8))
                                              : qFromLittleEndian<quint32>(src + 4 * x);
                const int a = alpha || alphaChannel.mask ? alphaChannel.value(v, 255) : 255;
                int r = red.value(v), g = green.value(v), b = blue.value(v);
                if (alpha) {
                    r = qMin(r, a);
                    g = qMin(g, a);
                    b = qMin(b, a);
                }
                px = qRgba(r, g, b, alpha ? a : 255);
                break;
            }
            }
            dst[x] = px;
        }
    }
    return image;
}

bool dibIsBottomUp(Reader info)
{
    const quint32 size = info.u32();
    if (size == 12) {
        info.skip(2);
        return info.i16() > 0;
    }
    info.skip(4);
    return info.i32() > 0;
}

QImage withColorKey(const QImage &image, QRgb key)
{
    QImage out = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    key &= 0x00FFFFFF;
    for (int y = 0; y < out.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            if ((line[x] & 0x00FFFFFF) == key && qAlpha(line[x]) == 255)
                line[x] = 0;
        }
    }
    return out;
}

QImage decodePackedDib(Reader packed, const DibOptions &options)
{
    Reader r = packed;
    DibHeader h;
    if (!readHeader(r, &h))
        return {};
    qint64 offset = h.headerSize;
    if (!h.hasMasks && (h.compression == kBiBitfields || h.compression == kBiAlphaBitfields))
        offset += h.compression == kBiAlphaBitfields ? 16 : 12;
    if (h.compression == kBiJpeg || h.compression == kBiPng) {
        // the embedded file follows the header directly
    } else if (h.bpp <= 8) {
        const qint64 entries = h.colorsUsed && h.colorsUsed < (1u << h.bpp) ? h.colorsUsed : (1 << h.bpp);
        offset += entries * (options.paletteIndices ? 2 : h.core ? 3 : 4);
    } else if (!h.core) {
        offset += qint64(qMin<quint32>(h.colorsUsed, 256)) * 4;
    }
    return decodeDib(packed.sub(0, qMin(offset, packed.size())),
                     packed.sub(offset, packed.size() - offset), options);
}

} // namespace pictures::metafile
