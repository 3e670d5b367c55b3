#include "controls/twips.h"

#include <QWidget>

#include <algorithm>
#include <cmath>

namespace controls {

int twipsToPixels(double twips)
{
    // Clamped before rounding: a far-rolled strip must not overflow the
    // rounding on platforms whose long is 32 bits.
    const double pixels = std::clamp(twips / kTwipsPerPixel, -1.0e6, 1.0e6);
    return int(std::llround(pixels));
}

QRect TwipsRect::toPixels() const
{
    return QRect(twipsToPixels(left), twipsToPixels(top), std::max(0, twipsToPixels(width)),
                 std::max(0, twipsToPixels(height)));
}

void placeInTwips(QWidget *widget, const TwipsRect &rect)
{
    widget->setGeometry(rect.toPixels());
}

TwipsGeometry::TwipsGeometry(QWidget *widget, const TwipsRect &rect)
    : m_widget(widget), m_rect(rect)
{
    m_widget->setGeometry(m_rect.toPixels());
}

void TwipsGeometry::setLeft(float left)
{
    m_rect.left = left;
    apply(false);
}

void TwipsGeometry::setTop(float top)
{
    m_rect.top = top;
    apply(false);
}

void TwipsGeometry::setWidth(float width)
{
    const bool changed = width != m_rect.width;
    m_rect.width = width;
    apply(changed);
}

void TwipsGeometry::setHeight(float height)
{
    const bool changed = height != m_rect.height;
    m_rect.height = height;
    apply(changed);
}

void TwipsGeometry::setTwips(const TwipsRect &rect)
{
    const bool changed = rect.width != m_rect.width || rect.height != m_rect.height;
    m_rect = rect;
    apply(changed);
}

void TwipsGeometry::apply(bool sizeChanged)
{
    m_widget->setGeometry(m_rect.toPixels());
    if (sizeChanged)
        twipsResized();
}

} // namespace controls
