#include "signboard/signboard_drag.h"

#include "controls/controls.h"

#include <QMouseEvent>

#include <algorithm>
#include <cmath>

SignboardDrag::SignboardDrag(controls::PictureBox &box) : m_box(box)
{
    m_box.installEventFilter(this);
}

void SignboardDrag::begin(QPointF grab)
{
    m_grab = grab;
    m_active = true;
}

bool SignboardDrag::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != &m_box || !m_active)
        return false;
    switch (event->type()) {
    case QEvent::MouseMove: {
        auto *e = static_cast<QMouseEvent *>(event);
        if (e->buttons() & Qt::LeftButton)
            follow(e->globalPosition());
        else
            end(); // the release went elsewhere
        break;
    }
    case QEvent::MouseButtonRelease: {
        auto *e = static_cast<QMouseEvent *>(event);
        if (e->button() == Qt::LeftButton) {
            follow(e->globalPosition());
            end();
        }
        break;
    }
    case QEvent::Hide:
        end();
        break;
    default:
        break;
    }
    return false;
}

void SignboardDrag::follow(QPointF globalPointer)
{
    QWidget *coach = m_box.parentWidget();
    if (!coach)
        return;
    // The pointer is held inside the coach's client area, as the window
    // manager does for a dragged child window, so at least the grabbed point
    // of the signboard always stays on the coach where it can be reached.
    QPointF p = coach->mapFromGlobal(globalPointer);
    p.setX(std::clamp(p.x(), 0.0, double(std::max(0, coach->width() - 1))));
    p.setY(std::clamp(p.y(), 0.0, double(std::max(0, coach->height() - 1))));
    const QPointF topLeft = p - m_grab;
    controls::TwipsRect r = m_box.twips();
    r.left = float(std::lround(topLeft.x()) * controls::kTwipsPerPixel);
    r.top = float(std::lround(topLeft.y()) * controls::kTwipsPerPixel);
    if (r.left != m_box.twipsLeft() || r.top != m_box.twipsTop())
        m_box.setTwips(r);
}
