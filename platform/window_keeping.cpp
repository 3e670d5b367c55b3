#include "platform/window_keeping.h"

#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace plat {

namespace {

class MinimiseUndoer final : public QObject {
public:
    explicit MinimiseUndoer(QWidget *window) : QObject(window) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::WindowStateChange)
            return false;
        auto *window = static_cast<QWidget *>(watched);
        if (!(window->windowState() & Qt::WindowMinimized))
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
};

} // namespace

void restoreWhenMinimised(QWidget *window)
{
    window->installEventFilter(new MinimiseUndoer(window));
}

void keepAboveThePanel(QWidget *dialog)
{
    // In the window manager's layer of always-on-top windows, and opened
    // after the panel, so it is stacked above it.
    dialog->setWindowFlag(Qt::WindowStaysOnTopHint, true);
}

} // namespace plat
