#pragma once
#include "platform/platform.h"

#include <chrono>

namespace plat {

// Real pacing: every pass of the counted wait costs kPassCost of real time,
// on any processor. The bulk of a wait is slept, only the tail is spun, so a
// slow door does not hold a core busy.
class RealPacing final : public Pacing {
public:
    static constexpr std::chrono::nanoseconds kPassCost{1000};

    void sleep(int milliseconds) override;
    void wait(int passes) override;
};

} // namespace plat
