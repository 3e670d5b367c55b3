#pragma once
// The windows' own kinds of control: picture boxes (windowed, take input),
// images (windowless pictures), rectangle shapes (pass the mouse on) and
// check boxes drawn as picture toggles.
//
// Pictures are drawn in logical pixels without smoothing, so at any display
// scale the pixel art stays sharp-edged and in its place.

#include "controls/twips.h"
#include "pictures/picture.h"

#include <QColor>
#include <QImage>
#include <QPushButton>
#include <QWidget>

namespace controls {

// A picture box: a back colour with an optional picture drawn unscaled at
// its top-left corner. Its inner coordinates are pixels.
class PictureBox : public QWidget, public TwipsGeometry {
    Q_OBJECT
public:
    PictureBox(QWidget *parent, const QString &name, const TwipsRect &rect, QColor backColor);

    QColor backColor() const { return m_backColor; }
    const QImage &picture() const { return m_picture; }
    void setPicture(const QImage &picture);
    // A loaded picture; a vector one is drawn a part at a time as it shows.
    void setPicture(const pictures::Picture &picture);

Q_SIGNALS:
    // A press and release of the left or right button over the box.
    void clicked();
    void doubleClicked();
    void mousePressed(Qt::MouseButton button, QPointF pos);
    void keyPressed(int key, Qt::KeyboardModifiers modifiers);
    // The size in twips changed.
    void resized();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void twipsResized() override { Q_EMIT resized(); }

private:
    QColor m_backColor;
    QImage m_picture;
    pictures::Picture m_vector;
    Qt::MouseButton m_pressed = Qt::NoButton;
};

// An image: a windowless picture. Unstretched, it sizes itself to its
// picture; stretched, it draws the picture at its own size.
class ImageControl : public QWidget, public TwipsGeometry {
    Q_OBJECT
public:
    ImageControl(QWidget *parent, const QString &name, const TwipsRect &rect, bool stretch);

    const QImage &picture() const { return m_picture; }
    // Unstretched, takes the picture's size (pixels x 15); an empty picture
    // keeps the size.
    void setPicture(const QImage &picture);
    // A loaded picture; a vector one is drawn a part at a time as it shows,
    // at its own size even when stretched.
    void setPicture(const pictures::Picture &picture);
    bool stretch() const { return m_stretch; }

Q_SIGNALS:
    void clicked();
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    void takeSize(QSize pixels);

    QImage m_picture;
    pictures::Picture m_vector;
    bool m_stretch;
    Qt::MouseButton m_pressed = Qt::NoButton;
};

// A rectangle shape with a border and a solid fill. It takes no mouse input:
// presses fall through to the window beneath.
class ShapeControl : public QWidget, public TwipsGeometry {
    Q_OBJECT
public:
    ShapeControl(QWidget *parent, const QString &name, const TwipsRect &rect, QColor border,
                 QColor fill);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_border;
    QColor m_fill;
};

// A check box drawn as a toggle button with a picture and no caption: the
// bevel shows it set (pressed in) or clear, the picture lies centred on it.
// Disabled, the picture is greyed as the style greys icons.
class PictureToggle : public QPushButton {
    Q_OBJECT
public:
    PictureToggle(QWidget *parent, const QString &name, const TwipsRect &rect,
                  const QImage &picture);

    const QImage &picture() const { return m_picture; }
    // Where the picture lies, in the button's coordinates, when not pressed.
    // A picture larger than the button is centred and clipped.
    QRect pictureRect() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_picture;
};

// Return and Enter on the focused button click it, as Space does. A held key
// clicks once.
void clickOnEnter(QAbstractButton *button);

// A title bar without the program's icon, which belongs to the main window
// alone; a window without an icon of its own would show it.
void showNoWindowIcon(QWidget *window);

// The style's keyboard-focus frame over the whole of a widget that has the
// focus, for widgets whose own painting shows none.
void paintFocusFrame(QWidget *widget);

// 0x00BBGGRR, as the colour values are written.
QColor colorFromBgr(quint32 bgr);

} // namespace controls
