#include "platform/window_keeping.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace plat {

namespace {

// Watches one window, or with modalOnly every modal window of the program.
class MinimiseUndoer final : public QObject {
public:
    MinimiseUndoer(QObject *owner, bool modalOnly) : QObject(owner), m_modalOnly(modalOnly) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::WindowStateChange || !watched->isWidgetType())
            return false;
        auto *window = static_cast<QWidget *>(watched);
        if (!window->isWindow() || !(window->windowState() & Qt::WindowMinimized) ||
            (m_modalOnly && !window->isModal()))
            return false;
        // Undone once the window manager has finished minimising; undoing it
        // inside the state change would be overwritten by it.
        QTimer::singleShot(0, window, [w = QPointer<QWidget>(window)] {
            if (!w || !(w->windowState() & Qt::WindowMinimized))
                return;
            w->setWindowState(w->windowState() & ~Qt::WindowMinimized);
            w->show();
            w->raise();
            w->activateWindow();
        });
        return false;
    }

private:
    bool m_modalOnly;
};

} // namespace

void restoreWhenMinimised(QWidget *window)
{
    window->installEventFilter(new MinimiseUndoer(window, false));
}

void restoreModalWindowsWhenMinimised()
{
    static QPointer<MinimiseUndoer> installed;
    if (installed || !QCoreApplication::instance())
        return;
    installed = new MinimiseUndoer(QCoreApplication::instance(), true);
    QCoreApplication::instance()->installEventFilter(installed);
}

void keepAboveThePanel(QWidget *dialog)
{
    // In the window manager's layer of always-on-top windows, and opened
    // after the panel, so it is stacked above it.
    dialog->setWindowFlag(Qt::WindowStaysOnTopHint, true);
}

} // namespace plat
