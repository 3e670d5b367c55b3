#include "pictures/metafile/metafile.h"
#include "pictures/picture.h"
#include "pictures/work_budget.h"

#include <QPainter>

namespace pictures {

void drawPicture(QPainter *painter, const Picture &picture, const QRect &area)
{
    if (picture.vector.isEmpty()) {
        if (!picture.image.isNull())
            painter->drawImage(area.topLeft(), picture.image, area);
        return;
    }
    const QRect part = area.intersected(QRect(QPoint(), picture.vectorSize));
    // A part as large as a whole raster picture would defeat keeping it a vector.
    if (part.isEmpty() || qint64(part.width()) * part.height() > kMaxPicturePixels)
        return;
    QImage target(part.size(), QImage::Format_ARGB32_Premultiplied);
    if (target.isNull())
        return;
    target.fill(Qt::transparent);
    WorkMeter meter(kRepaintWorkBudget);
    metafile::View view;
    view.origin = part.topLeft();
    metafile::renderPart(picture.vector, &target, view, &meter, kMaxPicturePixels, nullptr);
    painter->drawImage(part.topLeft(), target);
}

} // namespace pictures
