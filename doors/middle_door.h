#pragma once
// The middle folding door: two leaves that fold by narrowing their stretched
// picture, with a sound before opening and while closing.

#include <QtGlobal>

#include <array>
#include <functional>

namespace plat {
class Pacing;
} // namespace plat
namespace controls {
class ImageControl;
} // namespace controls

namespace doors {

inline constexpr int kMiddleOpenWidth = 110;    // twips, folded
inline constexpr int kMiddleClosedWidth = 930;  // twips
inline constexpr int kRightLeafRightEdge = 6600;
inline constexpr qint16 kOpenSound = 101;
inline constexpr qint16 kCloseSound = 102;

enum class Leaves { Both = 0, Left = 1, Right = 2 };

struct MiddleDoorInputs {
    std::function<int()> switchValue; // non-zero: open
    std::function<int()> option;      // selected option: 0 both, 1 left, else right
    std::function<int()> speed;       // wait passes per step, read every step
};

struct MiddleDoorSounds {
    std::function<void(qint16)> playSync;   // returns when the sound has ended
    std::function<void(qint16)> playAsync;  // processes pending events once
};

// One whole run. The loops process no events; every step is drawn at once.
void runMiddleDoor(const std::array<controls::ImageControl *, 2> &leaves, plat::Pacing &pacing,
                   const MiddleDoorInputs &inputs, const MiddleDoorSounds &sounds);

} // namespace doors
