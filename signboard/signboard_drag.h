#pragma once
// Moves a control with the mouse while the left button is held: the control
// follows the pointer, keeping the offset at which it was grabbed, and stays
// where the button is released.

#include <QObject>
#include <QPoint>
#include <QPointF>

namespace controls {
class PictureBox;
}

class SignboardDrag : public QObject {
    Q_OBJECT
public:
    explicit SignboardDrag(controls::PictureBox &box);

    // Starts a drag; grab is the pressed point inside the box, in pixels.
    void begin(QPointF grab);
    void end() { m_active = false; }
    bool isActive() const { return m_active; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void follow(QPointF globalPointer);

    controls::PictureBox &m_box;
    QPointF m_grab;
    bool m_active = false;
};
