// Form1's start-up and shutdown.

#include "app/door_outline.h"
#include "app/main_window.h"
#include "panel/control_panel.h"

#include <QScrollBar>
#include <QTimer>

void Form1::Form_Load()
{
    LoadIni();

    // A stay-on-top tool window from its creation, without an owner.
    panel().show();

    setWindowTitle(QStringLiteral("トトラ　-　") + plat::modelNumber(*m_platform.process));

    applyDoorOutline();
    picSlideBase1->update();
}

void Form1::applyDoorOutline()
{
    // Each box gets a region of its own; the region is in the box's own
    // coordinates, so it moves with the sliding leaf.
    picSlideBase1->setMask(doorOutlineRegion());
    Picture1->setMask(doorOutlineRegion());
}

void Form1::Form_Unload()
{
    SaveIni();
    // Ends at once, also from inside a door step: nothing returns into the
    // interrupted loop.
    m_platform.process->exit(0);
}

void Form1::placePanelBelowWindow()
{
    frmSet &set = panel();
    m_panelPlacedAt = QPoint(x(), y() + controls::twipsToPixels(outerHeight()));
    set.move(m_panelPlacedAt);
    m_panelFollowsFrame = true;
    m_frameChecks = 0;
}

void Form1::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_panelFollowsFrame)
        return;
    // On X11 the frame's size arrives from the window manager some time after
    // the first show; until then the outer height is only the client's.
    auto *timer = new QTimer(this);
    timer->setInterval(50);
    connect(timer, &QTimer::timeout, this, [this, timer] {
        const bool userMovedIt = !m_panel || m_panel->pos() != m_panelPlacedAt;
        if (userMovedIt || ++m_frameChecks > 60) {
            m_panelFollowsFrame = false;
            timer->deleteLater();
            return;
        }
        const QPoint wanted(x(), y() + frameGeometry().height());
        if (wanted != m_panelPlacedAt) {
            m_panelPlacedAt = wanted;
            m_panel->move(wanted);
        }
        if (frameGeometry().height() > height()) {
            m_panelFollowsFrame = false;
            timer->deleteLater();
        }
    });
    timer->start();
}
