#pragma once
// The middle door's two sounds: resources of type "WAVE", id 101 (opening)
// and 102 (closing), played from one buffer that lives as long as the program.

#include "platform/platform.h"

#include <QtGlobal>

// Plays the sound to its end; no window events run meanwhile.
void PlayWaveSync(plat::SoundOutput &out, qint16 id);
// Starts the sound, runs pending window events once and returns while it plays.
void PlayWaveAsync(plat::SoundOutput &out, qint16 id);
