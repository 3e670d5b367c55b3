#pragma once
#include <QFont>

namespace controls {

// The Japanese UI font the windows are designed in, with the nearest
// equivalents on systems that lack it.
QFont pGothicFont(double pointSize, bool bold = false);

} // namespace controls
