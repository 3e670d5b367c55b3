#include "platform/sdl_sound.h"

namespace plat {

SdlSound::SdlSound() = default;
SdlSound::~SdlSound() = default;
void SdlSound::play(const QByteArray &, bool) {}
void SdlSound::stop() {}

} // namespace plat
