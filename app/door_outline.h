#pragma once
#include <QPolygon>
#include <QRegion>

// The outline of the coach's front end, in a door box's own pixels: the
// sliding leaf and the doorway view behind it are both cut to it.
QPolygon doorOutline();
// The outline as a window region (winding fill; left and top edges inside,
// right and bottom edges outside).
QRegion doorOutlineRegion();
