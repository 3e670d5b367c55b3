#pragma once
#include "platform/platform.h"

namespace plat {

// Plays RIFF WAVE images through SDL2 audio. Every failure is silent.
class SdlSound final : public SoundOutput {
public:
    SdlSound();
    ~SdlSound() override;
    void play(const QByteArray &wave, bool waitForEnd) override;
    void stop() override;
};

} // namespace plat
