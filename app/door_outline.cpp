#include "app/door_outline.h"

QPolygon doorOutline()
{
    return QPolygon({{24, 0}, {76, 0}, {76, 180}, {5, 172}, {2, 156}, {0, 136}, {0, 97},
                     {10, 45}, {24, 0}});
}

QRegion doorOutlineRegion()
{
    return QRegion(doorOutline(), Qt::WindingFill);
}
