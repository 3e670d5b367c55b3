// Form1's settings file.

#include "app/main_window.h"
#include "panel/control_panel.h"

#include <QRadioButton>
#include <QScrollBar>

void Form1::LoadIni()
{
    setWindowPlace(0, 0);
    placePanelBelowWindow();
    frmSet &set = panel();
    MnuKanbanReset_Click();
    set.HScroll1->setValue(1000);
    set.HScroll2->setValue(6000);
    set.scllMakuSpeed[0]->setValue(1);
    set.scllMakuSpeed[1]->setValue(1);
    set.Option1[0]->setChecked(true);
}

void Form1::SaveIni() {}
