#pragma once
// Drives a modal popup menu from a test: open() shows the menu and waits in
// its loop; act runs inside that loop, and the menu is closed afterwards
// unless act chose an item. Returns the menu that opened, or null.

#include <QApplication>
#include <QMenu>
#include <QPointer>
#include <QTimer>

#include <functional>

inline QMenu *whileMenuOpen(const std::function<void()> &open,
                            const std::function<void(QMenu *)> &act)
{
    QPointer<QMenu> seen;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu || seen)
            return;
        seen = menu;
        poll.stop();
        act(menu);
        if (menu->isVisible())
            menu->close();
    });
    poll.start();
    open();
    poll.stop();
    return seen;
}
