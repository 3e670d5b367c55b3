#include "controls/controls.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QStyleOptionButton>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

namespace controls {

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
    m_vector = {};
    update();
}

void PictureBox::setPicture(const pictures::Picture &picture)
{
    setPicture(picture.image);
    if (!picture.vector.isEmpty())
        m_vector = picture;
}

void PictureBox::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    p.fillRect(event->rect(), m_backColor);
    if (!m_picture.isNull())
        p.drawImage(QPoint(0, 0), m_picture);
    else if (!m_vector.vector.isEmpty())
        pictures::drawPicture(&p, m_vector, event->rect());
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
    m_vector = {};
    if (!picture.isNull())
        takeSize(picture.size());
    update();
}

void ImageControl::setPicture(const pictures::Picture &picture)
{
    setPicture(picture.image);
    if (!picture.vector.isEmpty()) {
        m_vector = picture;
        takeSize(picture.pixelSize());
    }
}

void ImageControl::takeSize(QSize pixels)
{
    if (m_stretch)
        return;
    TwipsRect r = twips();
    r.width = float(pixels.width() * kTwipsPerPixel);
    r.height = float(pixels.height() * kTwipsPerPixel);
    setTwips(r);
}

void ImageControl::paintEvent(QPaintEvent *event)
{
    if (!m_vector.vector.isEmpty()) {
        QPainter p(this);
        pictures::drawPicture(&p, m_vector, event->rect());
        return;
    }
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
    // Border and fill as whole logical pixels: a pen's line would be centred
    // on the pixel edge and land half a pixel off at other display scales.
    QPainter p(this);
    p.fillRect(rect(), m_border);
    p.fillRect(rect().adjusted(1, 1, -1, -1), m_fill);
}

PictureToggle::PictureToggle(QWidget *parent, const QString &name, const TwipsRect &rect,
                             const QImage &picture)
    : QPushButton(parent), m_picture(picture)
{
    setObjectName(name);
    setCheckable(true);
    setFocusPolicy(Qt::StrongFocus);
    placeInTwips(this, rect);
}

QRect PictureToggle::pictureRect() const
{
    return QRect(QPoint((width() - m_picture.width()) / 2, (height() - m_picture.height()) / 2),
                 m_picture.size());
}

void PictureToggle::paintEvent(QPaintEvent *)
{
    // The style draws the button without an icon: an icon is scaled to the
    // display with smoothing, which blurs pixel art.
    QStylePainter p(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.icon = QIcon();
    option.text.clear();
    p.drawControl(QStyle::CE_PushButtonBevel, option);

    QPoint at = pictureRect().topLeft();
    if (option.state & (QStyle::State_Sunken | QStyle::State_On))
        at += QPoint(style()->pixelMetric(QStyle::PM_ButtonShiftHorizontal, &option, this),
                     style()->pixelMetric(QStyle::PM_ButtonShiftVertical, &option, this));
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    if (isEnabled())
        p.drawImage(at, m_picture);
    else
        p.drawPixmap(at, style()->generatedIconPixmap(QIcon::Disabled,
                                                      QPixmap::fromImage(m_picture), &option));

    // Over the picture, so that the keyboard focus shows on it.
    if (option.state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = style()->subElementRect(QStyle::SE_PushButtonFocusRect, &option, this);
        p.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

void paintFocusFrame(QWidget *widget)
{
    if (!widget->hasFocus())
        return;
    QStylePainter p(widget);
    QStyleOptionFocusRect focus;
    focus.initFrom(widget);
    focus.backgroundColor = widget->palette().color(QPalette::Window);
    p.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
}

namespace {

class EnterClicks final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        auto *key = static_cast<QKeyEvent *>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (!enter || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
            return false;
        if (!key->isAutoRepeat())
            static_cast<QAbstractButton *>(watched)->click();
        return true;
    }
};

} // namespace

void clickOnEnter(QAbstractButton *button)
{
    button->installEventFilter(new EnterClicks(button));
}

void showNoWindowIcon(QWidget *window)
{
    QPixmap blank(16, 16);
    blank.fill(Qt::transparent);
    window->setWindowIcon(QIcon(blank));
}

} // namespace controls
