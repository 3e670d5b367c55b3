#include "doors/front_door.h"

#include "controls/controls.h"
#include "platform/platform.h"

#include <QCoreApplication>

namespace doors {

void runFrontDoor(controls::PictureBox &leaf, controls::PictureBox &doorway, plat::Pacing &pacing,
                  const FrontDoorInputs &inputs)
{
    pacing.sleep(kFrontPauseMs);
    const bool open = inputs.switchValue() != 0;
    const int first = open ? kFrontClosedLeft : kFrontOpenLeft;
    const int last = open ? kFrontOpenLeft : kFrontClosedLeft;
    const int step = open ? kFrontStep : -kFrontStep;
    for (int i = first;; i += step) {
        leaf.setLeft(float(i));
        pacing.wait(inputs.speed());
        doorway.repaint();
        QCoreApplication::processEvents();
        if (i == last)
            break;
    }
}

} // namespace doors
