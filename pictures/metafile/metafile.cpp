#include "pictures/metafile/metafile.h"

#include "pictures/metafile/emf_player.h"
#include "pictures/metafile/header.h"
#include "pictures/metafile/reader.h"
#include "pictures/metafile/wmf_player.h"

namespace pictures::metafile {

namespace {

// The rasteriser works in sixteen-bit coordinates.
constexpr int kMaxSide = 32767;

bool readHeader(const QByteArray &bytes, PictureFrame *frame, QString *error)
{
    switch (detect(bytes)) {
    case Format::Emf: return readEmfHeader(bytes, frame, error);
    case Format::Wmf: return readWmfHeader(bytes, frame, error);
    case Format::None: break;
    }
    *error = QStringLiteral("not a Windows metafile or enhanced metafile");
    return false;
}

QString play(const QByteArray &bytes, const PictureFrame &frame, QImage *target, const View &view,
             WorkMeter *meter, qint64 maxBitmapPixels)
{
    return frame.format == Format::Emf ? playEmf(bytes, frame, target, view, meter, maxBitmapPixels)
                                       : playWmf(bytes, frame, target, view, meter, maxBitmapPixels);
}

} // namespace

Format detect(const QByteArray &bytes)
{
    Reader r(bytes);
    const quint32 first = r.u32();
    if (!r.ok())
        return Format::None;
    if (first == 1) {
        Reader signature = Reader(bytes).sub(40, 4);
        if (signature.u32() == kEmfSignature && signature.ok())
            return Format::Emf;
    }
    if (first == kPlaceableKey)
        return Format::Wmf;
    r.seek(0);
    const quint16 type = r.u16(), headerWords = r.u16(), version = r.u16();
    if (r.ok() && (type == 1 || type == 2) && headerWords == 9
        && (version == 0x0100 || version == 0x0300))
        return Format::Wmf;
    return Format::None;
}

bool pictureSize(const QByteArray &bytes, QSize *pixels, QSizeF *twips, QString *error)
{
    PictureFrame frame;
    if (!readHeader(bytes, &frame, error))
        return false;
    *pixels = frame.pixels;
    *twips = frame.twips;
    return true;
}

Rendered render(const QByteArray &bytes, qint64 maxPixels, qint64 workBudget)
{
    Rendered result;
    PictureFrame frame;
    if (!readHeader(bytes, &frame, &result.error))
        return result;
    const QSize size = frame.pixels;
    const QString kind = frame.format == Format::Emf ? QStringLiteral("enhanced metafile")
                                                     : QStringLiteral("Windows metafile");
    if (qint64(size.width()) * size.height() > maxPixels || size.width() > kMaxSide
        || size.height() > kMaxSide) {
        result.error = QStringLiteral("the %1 is %2 x %3 pixels, larger than a picture may be")
                           .arg(kind)
                           .arg(size.width())
                           .arg(size.height());
        return result;
    }
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        result.error = QStringLiteral("not enough memory for a %1 x %2 picture")
                           .arg(size.width())
                           .arg(size.height());
        return result;
    }
    image.fill(Qt::transparent);
    WorkMeter meter(workBudget);
    // Embedded bitmaps are held to the same bound as the picture itself.
    result.warning = play(bytes, frame, &image, View(), &meter, maxPixels);
    result.overBudget = meter.exhausted();
    result.format = frame.format;
    result.image = image;
    result.extentTwips = frame.twips;
    return result;
}

bool renderPart(const QByteArray &bytes, QImage *target, const View &view, WorkMeter *meter,
                qint64 maxBitmapPixels, QString *error, QString *warning)
{
    PictureFrame frame;
    QString problem;
    if (!readHeader(bytes, &frame, &problem)) {
        if (error)
            *error = problem;
        return false;
    }
    const QString note = play(bytes, frame, target, view, meter, maxBitmapPixels);
    if (warning)
        *warning = note;
    return true;
}

} // namespace pictures::metafile
