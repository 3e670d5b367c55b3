#include "pictures/picture.h"

#include "pictures/bmp_decoder.h"
#include "pictures/metafile/metafile.h"
#include "pictures/picture_check.h"
#include "pictures/work_budget.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QRegion>

#include <algorithm>

namespace pictures {

namespace {

// The largest legitimate file is a 32-bit BMP at the pixel limit; anything
// much bigger is not read into memory at all.
constexpr qint64 kMaxPictureFileBytes = kMaxPicturePixels * 4 + 64 * 1024 * 1024;
// Qt's rasteriser works in sixteen-bit coordinates.
constexpr int kMaxRasterSide = 32767;

// The descriptions are the user's: short Japanese sentences, as the desktop
// words a picture it cannot open. The technical reason, where there is one
// beyond them, goes into the result's detail.
QString unsupportedMessage() { return QStringLiteral("対応している種類の画像ではありません。"); }

QString tooCostlyMessage() { return QStringLiteral("画像の処理に時間がかかりすぎるため、表示できません。"); }

QString damagedMessage() { return QStringLiteral("画像が壊れています。"); }

QString tooLargeMessage(QSize size)
{
    return QStringLiteral("画像が大きすぎます（%1 × %2 ピクセル）。").arg(size.width()).arg(size.height());
}

QString fileTooLargeMessage() { return QStringLiteral("ファイルが大きすぎます。"); }

QString faultMessage(PictureFault fault, QSize size)
{
    switch (fault) {
    case PictureFault::None: break;
    case PictureFault::Unsupported: return unsupportedMessage();
    case PictureFault::Truncated: return QStringLiteral("ファイルが途中で切れています。");
    case PictureFault::Damaged: return damagedMessage();
    case PictureFault::TooLarge: return tooLargeMessage(size);
    }
    return {};
}

bool exceedsLimit(QSize size)
{
    return size.isValid() && qint64(size.width()) * size.height() > kMaxPicturePixels;
}

// Pixels that are cheap to draw: RGB32 when opaque, premultiplied otherwise.
QImage drawable(QImage image)
{
    if (image.hasAlphaChannel())
        image.convertTo(QImage::Format_ARGB32_Premultiplied);
    else
        image.convertTo(QImage::Format_RGB32);
    return image;
}

PictureResult success(PictureKind kind, QImage image, QSizeF extentTwips = {})
{
    PictureResult r;
    r.picture.kind = kind;
    if (extentTwips.isEmpty())
        extentTwips = QSizeF(image.width() * 15.0, image.height() * 15.0);
    r.picture.image = drawable(std::move(image));
    r.picture.extentTwips = extentTwips;
    return r;
}

PictureResult failure(QString message, QString detail = {})
{
    PictureResult r;
    r.error = std::move(message);
    r.detail = std::move(detail);
    return r;
}

// The file system's own words (in the system's language, often English) are
// the detail; the description says what the user can do something about.
PictureResult fileFailure(const QFile &file)
{
    const QFileInfo info(file.fileName());
    QString message = QStringLiteral("ファイルを読み込めません。");
    if (!info.exists())
        message = QStringLiteral("ファイルが見つかりません。");
    else if (info.isDir())
        message = QStringLiteral("ファイルではなくフォルダーです。");
    else if (!info.isReadable())
        message = QStringLiteral("ファイルを読む権限がありません。");
    return failure(message, file.errorString());
}

// Qt paints the screen outside a GIF's first frame in the file's background
// colour; we leave it clear, like transparent pixels, so that the window's
// own back colour shows there.
void clearOutsideFrame(QImage &image, QRect frame)
{
    const QRect screen = image.rect();
    if (frame.contains(screen))
        return;
    image.convertTo(QImage::Format_ARGB32_Premultiplied);
    const QRegion outside = QRegion(screen).subtracted(QRegion(frame));
    for (const QRect &r : outside) {
        for (int y = r.top(); y <= r.bottom(); ++y)
            std::fill_n(reinterpret_cast<QRgb *>(image.scanLine(y)) + r.left(), r.width(), QRgb(0));
    }
}

// JPEG, GIF and PNG pixels come from Qt's readers, once our own check has
// found the file whole and the picture within the limit.
PictureResult decodeWithQt(const QByteArray &bytes, RasterKind kind)
{
    PictureProbe probe;
    QByteArray format;
    PictureKind pictureKind = PictureKind::None;
    switch (kind) {
    case RasterKind::Jpeg:
        probe = checkJpeg(bytes), format = "jpeg", pictureKind = PictureKind::Jpeg;
        break;
    case RasterKind::Gif:
        probe = checkGif(bytes), format = "gif", pictureKind = PictureKind::Gif;
        break;
    case RasterKind::Png:
        probe = checkPng(bytes), format = "png", pictureKind = PictureKind::Png;
        break;
    case RasterKind::Bmp:
    case RasterKind::None:
        return failure(unsupportedMessage());
    }
    if (exceedsLimit(probe.size))
        return failure(tooLargeMessage(probe.size));
    if (probe.fault != PictureFault::None)
        return failure(faultMessage(probe.fault, probe.size));
    // Qt's readers cannot be stopped once they decode: a picture whose
    // estimated cost passes the budget is not begun.
    if (probe.decodeWork > double(kPictureWorkBudget))
        return failure(tooCostlyMessage(),
                       QStringLiteral("decoding would cost %1 work units, more than the %2 allowed")
                           .arg(probe.decodeWork, 0, 'g', 3)
                           .arg(kPictureWorkBudget));

    // Qt's own cap on one image would refuse pictures within ours.
    const int neededMegabytes = int(kMaxPicturePixels * 4 / (1024 * 1024)) + 1;
    if (QImageReader::allocationLimit() < neededMegabytes)
        QImageReader::setAllocationLimit(neededMegabytes);

    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setAutoTransform(false); // the stored size, whatever EXIF says
    if (exceedsLimit(reader.size()))
        return failure(tooLargeMessage(reader.size()));
    QImage image = reader.read();
    if (image.isNull()) {
        if (reader.error() == QImageReader::UnsupportedFormatError)
            return failure(unsupportedMessage());
        return failure(faultMessage(PictureFault::Damaged, {}));
    }
    if (kind == RasterKind::Gif)
        clearOutsideFrame(image, probe.firstFrame);
    return success(pictureKind, std::move(image));
}

PictureResult decodeMetafile(const QByteArray &bytes, metafile::Format format)
{
    const PictureKind kind = format == metafile::Format::Emf ? PictureKind::Emf : PictureKind::Wmf;
    QSize pixels;
    QSizeF twips;
    QString error;
    if (!metafile::pictureSize(bytes, &pixels, &twips, &error))
        return failure(damagedMessage(), error);
    // A vector picture too large to raster whole is kept as it is and drawn
    // a part at a time; only the part that shows is ever rastered.
    if (exceedsLimit(pixels) || pixels.width() > kMaxRasterSide || pixels.height() > kMaxRasterSide) {
        PictureResult result;
        result.picture.kind = kind;
        result.picture.vector = bytes;
        result.picture.vectorSize = pixels;
        result.picture.extentTwips = twips;
        return result;
    }
    metafile::Rendered rendered = metafile::render(bytes, kMaxPicturePixels);
    // Whatever stopped a picture of a sound size (its work budget, memory):
    // said without guessing, the reason in the detail.
    if (!rendered.error.isEmpty())
        return failure(QStringLiteral("この画像は表示できません。"), rendered.error);
    if (rendered.image.isNull())
        return failure(damagedMessage());
    return success(kind, std::move(rendered.image), rendered.extentTwips);
}

} // namespace

QString pictureKindName(PictureKind kind)
{
    switch (kind) {
    case PictureKind::None: return QStringLiteral("none");
    case PictureKind::Bmp: return QStringLiteral("BMP");
    case PictureKind::Jpeg: return QStringLiteral("JPEG");
    case PictureKind::Gif: return QStringLiteral("GIF");
    case PictureKind::Png: return QStringLiteral("PNG");
    case PictureKind::Wmf: return QStringLiteral("WMF");
    case PictureKind::Emf: return QStringLiteral("EMF");
    }
    return {};
}

PictureResult decodePicture(const QByteArray &bytes, const QString &name)
{
    Q_UNUSED(name); // messages name no file: the caller knows which it asked for
    if (bytes.isEmpty())
        return failure(QStringLiteral("ファイルが空です。"));

    const RasterKind raster = sniffRaster(bytes);
    if (raster == RasterKind::Bmp) {
        // Our own decoder's cost is its pixels, so the budget is a pixel cap.
        const qint64 affordable = qint64(double(kPictureWorkBudget) / decodework::kBmpPixel);
        bmp::Decoded decoded = bmp::decode(bytes, std::min(kMaxPicturePixels, affordable));
        if (exceedsLimit(decoded.size))
            return failure(tooLargeMessage(decoded.size));
        if (decoded.fault != PictureFault::None)
            return failure(faultMessage(decoded.fault, decoded.size));
        return success(PictureKind::Bmp, std::move(decoded.image));
    }
    if (raster != RasterKind::None)
        return decodeWithQt(bytes, raster);

    const metafile::Format format = metafile::detect(bytes);
    if (format != metafile::Format::None)
        return decodeMetafile(bytes, format);
    return failure(unsupportedMessage());
}

PictureResult loadPicture(const QString &path)
{
    if (path.isEmpty())
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fileFailure(file);
    if (file.size() > kMaxPictureFileBytes)
        return failure(fileTooLargeMessage(),
                       QStringLiteral("%1 MB").arg(file.size() / (1024 * 1024)));

    QByteArray bytes;
    if (!file.isSequential()) {
        bytes = file.readAll();
    } else {
        // A device with no size (a pipe, /dev/zero) is read in pieces so
        // that it cannot take more memory than the largest picture.
        QByteArray piece;
        while (!(piece = file.read(1024 * 1024)).isEmpty()) {
            bytes += piece;
            if (bytes.size() > kMaxPictureFileBytes)
                return failure(fileTooLargeMessage());
        }
    }
    if (file.error() != QFileDevice::NoError)
        return fileFailure(file);
    return decodePicture(bytes, path);
}

} // namespace pictures
