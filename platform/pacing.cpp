#include "platform/pacing.h"

#include <thread>

namespace plat {

namespace {
// Below this, sleeping overshoots more than it saves; spin instead.
constexpr std::chrono::microseconds kSpinTail{1500};
}

void RealPacing::sleep(int milliseconds)
{
    if (milliseconds > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void RealPacing::wait(int passes)
{
    if (passes < 1)
        return;
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + kPassCost * passes;
    const auto sleepUntil = deadline - kSpinTail;
    if (Clock::now() < sleepUntil)
        std::this_thread::sleep_until(sleepUntil);
    while (Clock::now() < deadline) {
        // spin the last fraction for an exact end
    }
}

} // namespace plat
