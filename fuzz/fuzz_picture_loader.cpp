// Feeds arbitrary bytes to the picture loader: it must answer with a picture
// or a message, never crash, hang or allocate past its pixel limit.
//
// For coverage of the loader itself (not only of this file) configure with
//   -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link,address,undefined
//   -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=address,undefined
// Run: ./fuzz_picture_loader -rss_limit_mb=4096 corpus/fuzz_picture_loader

#include "pictures/picture.h"

#include <QByteArray>
#include <QImage>
#include <QPainter>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const bool quiet = [] {
        qputenv("QT_LOGGING_RULES", "*=false");
        return true;
    }();
    Q_UNUSED(quiet);

    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const pictures::PictureResult result = pictures::decodePicture(bytes);
    if (!result.ok() && !result.picture.isNull())
        std::abort(); // a failure must carry no picture
    if (result.ok() && !result.picture.isNull()) {
        const QSize s = result.picture.pixelSize();
        if (s.isEmpty())
            std::abort();
        if (!result.picture.vector.isEmpty()) {
            // Kept as a vector only when too large to raster; a part of it draws.
            const bool rasterable = qint64(s.width()) * s.height() <= pictures::kMaxPicturePixels
                                    && s.width() <= 32767 && s.height() <= 32767;
            if (!result.picture.image.isNull() || rasterable)
                std::abort();
            QImage part(64, 64, QImage::Format_ARGB32_Premultiplied);
            QPainter painter(&part);
            const QRect area(s.width() / 2, s.height() / 2, 64, 64);
            painter.translate(-area.topLeft());
            pictures::drawPicture(&painter, result.picture, area);
        } else if (qint64(s.width()) * s.height() > pictures::kMaxPicturePixels) {
            std::abort();
        }
    }
    return 0;
}
