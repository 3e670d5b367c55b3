// Form1's middle folding door.

#include "app/main_window.h"
#include "doors/door_sounds.h"
#include "doors/middle_door.h"
#include "panel/control_panel.h"

#include <QLabel>
#include <QScrollBar>

void Form1::Check2_Click()
{
    frmSet &set = panel();
    plat::SoundOutput &sound = *m_platform.sound;
    doors::runMiddleDoor(imgNakaorido, *m_platform.pacing,
                         {[&set] { return set.check2Value(); },
                          [&set] { return set.selectedOption(); },
                          [&set] { return set.HScroll2->value(); }},
                         {[&sound](qint16 id) { PlayWaveSync(sound, id); },
                          [&sound](qint16 id) { PlayWaveAsync(sound, id); }});
}
