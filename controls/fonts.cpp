#include "controls/fonts.h"

#include <QStringList>

namespace controls {

QFont pGothicFont(double pointSize, bool bold)
{
    QFont font;
    // setFamily alone would fall back to a Latin font; the list keeps a
    // Japanese proportional Gothic wherever one is installed.
    font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
                      QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP")});
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

} // namespace controls
