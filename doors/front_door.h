#pragma once
// The front door: a sliding leaf that uncovers the doorway view behind it.

#include <functional>

namespace plat {
class Pacing;
} // namespace plat
namespace controls {
class PictureBox;
} // namespace controls

namespace doors {

inline constexpr int kFrontClosedLeft = 270;  // twips
inline constexpr int kFrontOpenLeft = 1260;   // twips
inline constexpr int kFrontStep = 2;          // twips per step
inline constexpr int kFrontPauseMs = 1000;

// What the run reads from the control panel while it runs.
struct FrontDoorInputs {
    std::function<int()> switchValue; // non-zero: open
    std::function<int()> speed;       // wait passes per step, read every step
};

// One whole run: a second's pause, then 496 steps from the direction's fixed
// starting place. Every step moves the leaf, waits, repaints the doorway and
// processes pending events once, so other handlers may run inside a step.
void runFrontDoor(controls::PictureBox &leaf, controls::PictureBox &doorway, plat::Pacing &pacing,
                  const FrontDoorInputs &inputs);

} // namespace doors
