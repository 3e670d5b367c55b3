#include "controls/popup_menu.h"

#include <QEvent>
#include <QMenu>
#include <QMouseEvent>

namespace controls {

namespace {

class LeftButtonOnly final : public QObject {
public:
    explicit LeftButtonOnly(QMenu *menu) : QObject(menu), m_menu(menu) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != m_menu)
            return false;
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick: {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            // Qt's menu takes any button's release on an item as a choice.
            return mouse->button() != Qt::LeftButton &&
                   m_menu->rect().contains(mouse->position().toPoint());
        }
        default: return false;
        }
    }

private:
    QMenu *m_menu;
};

} // namespace

void chooseWithLeftButtonOnly(QMenu *menu) { menu->installEventFilter(new LeftButtonOnly(menu)); }

} // namespace controls
