#pragma once
// Window and control places are kept in twips, as single-precision values;
// the widget's pixel geometry is derived from them.

#include <QRect>

class QWidget;

namespace controls {

inline constexpr int kTwipsPerPixel = 15;

int twipsToPixels(double twips);

struct TwipsRect {
    float left = 0;
    float top = 0;
    float width = 0;
    float height = 0;

    QRect toPixels() const;
    friend bool operator==(const TwipsRect &, const TwipsRect &) = default;
};

// Places a widget that never moves (the control panel's controls, dialogs).
void placeInTwips(QWidget *widget, const TwipsRect &rect);

// A control's Left, Top, Width and Height in twips, as last set. Every change
// is pushed at once to the widget's geometry.
class TwipsGeometry {
public:
    explicit TwipsGeometry(QWidget *widget, const TwipsRect &rect);
    virtual ~TwipsGeometry() = default;

    // Named apart from QWidget's pixel width() and height().
    float twipsLeft() const { return m_rect.left; }
    float twipsTop() const { return m_rect.top; }
    float twipsWidth() const { return m_rect.width; }
    float twipsHeight() const { return m_rect.height; }
    const TwipsRect &twips() const { return m_rect; }

    void setLeft(float left);
    void setTop(float top);
    void setWidth(float width);
    void setHeight(float height);
    // Moves and sizes in one step.
    void setTwips(const TwipsRect &rect);

protected:
    // Called after the size in twips has changed.
    virtual void twipsResized() {}

private:
    void apply(bool sizeChanged);

    QWidget *m_widget;
    TwipsRect m_rect;
};

} // namespace controls
