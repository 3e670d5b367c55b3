#pragma once
#include "platform/platform.h"

#include <memory>

namespace plat {

// Plays RIFF WAVE images through SDL2 audio. Every failure is silent.
//
// SDL's audio is started on the first play, with SDL's signal handlers left
// out so that the program still ends on SIGTERM, and one output device is
// opened then for the object's life. The device takes the first sound's
// format; a sound in another format is converted to it. When starting the
// audio or opening the device fails, this object stays silent from then on
// rather than trying again on every call.
class SdlSound final : public SoundOutput {
public:
    SdlSound();
    ~SdlSound() override;
    SdlSound(const SdlSound &) = delete;
    SdlSound &operator=(const SdlSound &) = delete;

    void play(const QByteArray &wave, bool waitForEnd) override;
    void stop() override;

private:
    struct Device;
    std::unique_ptr<Device> m_device;
};

} // namespace plat
