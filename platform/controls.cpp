#include "platform/controls.h"

#include <QMouseEvent>
#include <QPainter>

namespace plat {

QColor colorFromBgr(quint32 bgr)
{
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

namespace {

// Click = press and release of the left or right button over the control.
bool isClickButton(Qt::MouseButton b) { return b == Qt::LeftButton || b == Qt::RightButton; }

} // namespace

PictureBox::PictureBox(QWidget *parent, const QString &name, const TwipsRect &rect,
                       QColor backColor)
    : QWidget(parent), TwipsGeometry(this, rect), m_backColor(backColor)
{
    setObjectName(name);
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureBox::setPicture(const QImage &picture)
{
    m_picture = picture;
    update();
}

void PictureBox::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    p.fillRect(event->rect(), m_backColor);
    if (!m_picture.isNull())
        p.drawImage(QPoint(0, 0), m_picture);
}

void PictureBox::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button();
    Q_EMIT mousePressed(event->button(), event->position());
}

void PictureBox::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = event->button() == m_pressed && isClickButton(m_pressed) &&
                       rect().contains(event->position().toPoint());
    m_pressed = Qt::NoButton;
    if (click)
        Q_EMIT clicked();
}

void PictureBox::mouseDoubleClickEvent(QMouseEvent *event)
{
    m_pressed = event->button();
    if (event->button() == Qt::LeftButton)
        Q_EMIT doubleClicked();
    else
        Q_EMIT mousePressed(event->button(), event->position());
}

void PictureBox::keyPressEvent(QKeyEvent *event)
{
    Q_EMIT keyPressed(event->key(), event->modifiers());
    if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down)
        event->accept(); // an arrow key that rolls the sign does not also move the focus
    else
        QWidget::keyPressEvent(event);
}

ImageControl::ImageControl(QWidget *parent, const QString &name, const TwipsRect &rect,
                           bool stretch)
    : QWidget(parent), TwipsGeometry(this, rect), m_stretch(stretch)
{
    setObjectName(name);
}

void ImageControl::setPicture(const QImage &picture)
{
    m_picture = picture;
    if (!m_stretch && !picture.isNull()) {
        TwipsRect r = twips();
        r.width = float(picture.width() * kTwipsPerPixel);
        r.height = float(picture.height() * kTwipsPerPixel);
        setTwips(r);
    }
    update();
}

void ImageControl::paintEvent(QPaintEvent *)
{
    if (m_picture.isNull())
        return;
    QPainter p(this);
    if (m_stretch)
        p.drawImage(rect(), m_picture); // nearest-neighbour: the pixel art stays sharp
    else
        p.drawImage(QPoint(0, 0), m_picture);
}

void ImageControl::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button();
}

void ImageControl::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = event->button() == m_pressed && isClickButton(m_pressed) &&
                       rect().contains(event->position().toPoint());
    m_pressed = Qt::NoButton;
    if (click)
        Q_EMIT clicked();
}

void ImageControl::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        Q_EMIT doubleClicked();
}

ShapeControl::ShapeControl(QWidget *parent, const QString &name, const TwipsRect &rect,
                           QColor border, QColor fill)
    : QWidget(parent), TwipsGeometry(this, rect), m_border(border), m_fill(fill)
{
    setObjectName(name);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void ShapeControl::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), m_fill);
    p.setPen(m_border);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

} // namespace plat
