// Form1's start-up and shutdown.

#include "app/door_outline.h"
#include "app/main_window.h"
#include "panel/control_panel.h"

#include <QScrollBar>

void Form1::Form_Load()
{
    LoadIni();

    frmSet &set = panel();
    set.show();
    set.raise(); // the panel is a stay-on-top tool window from its creation

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
