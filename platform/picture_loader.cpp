#include "platform/picture.h"

#include <QFile>
#include <QImageReader>

namespace plat {

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
    Q_UNUSED(name);
    PictureResult r;
    QImage image = QImage::fromData(bytes);
    if (image.isNull()) {
        r.error = QStringLiteral("not a picture of a supported kind");
        return r;
    }
    r.picture.kind = PictureKind::Png;
    r.picture.image = image;
    r.picture.extentTwips = QSizeF(image.width() * 15.0, image.height() * 15.0);
    return r;
}

PictureResult loadPicture(const QString &path)
{
    if (path.isEmpty())
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {{}, file.errorString()};
    return decodePicture(file.readAll(), path);
}

} // namespace plat
