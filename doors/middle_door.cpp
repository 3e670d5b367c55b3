#include "doors/middle_door.h"

#include "controls/controls.h"
#include "platform/platform.h"

#include <cmath>

namespace doors {

namespace {

Leaves leavesFor(int option)
{
    if (option == 0)
        return Leaves::Both;
    if (option == 1)
        return Leaves::Left;
    return Leaves::Right;
}

// Sets the width of the moving leaves (the right leaf keeps its right edge
// on the fixed line) and draws the change at once, since the run processes
// no events that would draw it later.
void applyWidth(const std::array<controls::ImageControl *, 2> &leaves, Leaves which, int w)
{
    controls::ImageControl *left = leaves[0];
    controls::ImageControl *right = leaves[1];
    const QRect before = left->geometry() | right->geometry();
    if (which != Leaves::Right)
        left->setWidth(float(w));
    if (which != Leaves::Left) {
        right->setWidth(float(w));
        right->setLeft(float(kRightLeafRightEdge - w));
    }
    QWidget *surface = left->parentWidget();
    if (surface && surface->isVisible() && (left->isVisible() || right->isVisible()))
        surface->repaint(before | left->geometry() | right->geometry());
}

} // namespace

void runMiddleDoor(const std::array<controls::ImageControl *, 2> &leaves, plat::Pacing &pacing,
                   const MiddleDoorInputs &inputs, const MiddleDoorSounds &sounds)
{
    const bool open = inputs.switchValue() != 0;
    if (!open) {
        sounds.playAsync(kCloseSound);
        const Leaves which = leavesFor(inputs.option());
        for (int w = kMiddleOpenWidth; w <= kMiddleClosedWidth; ++w) {
            applyWidth(leaves, which, w);
            pacing.wait(inputs.speed());
        }
        return;
    }
    sounds.playSync(kOpenSound);
    const Leaves which = leavesFor(inputs.option());
    const controls::ImageControl *measured = which == Leaves::Right ? leaves[1] : leaves[0];
    const int start = int(std::nearbyint(measured->twipsWidth()));
    for (int w = start; w >= kMiddleOpenWidth; --w) {
        applyWidth(leaves, which, w);
        pacing.wait(inputs.speed());
    }
}

} // namespace doors
