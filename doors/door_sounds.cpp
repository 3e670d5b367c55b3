#include "doors/door_sounds.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>

namespace {

// A sound started in the background may be read from this memory while it
// sounds, so it is never released while the program runs.
QByteArray &soundBuffer()
{
    static QByteArray buffer;
    return buffer;
}

// Stops what is playing before the buffer is overwritten, then loads the
// resource. False when there is no such sound, which is never reported: the
// door moves all the same.
bool loadSound(plat::SoundOutput &out, qint16 id)
{
    out.stop();
    QByteArray &buffer = soundBuffer();
    buffer.clear();
    QFile file(QStringLiteral(":/WAVE/%1").arg(id));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    buffer = file.readAll();
    return !buffer.isEmpty();
}

} // namespace

void PlayWaveSync(plat::SoundOutput &out, qint16 id)
{
    if (loadSound(out, id))
        out.play(soundBuffer(), true);
}

void PlayWaveAsync(plat::SoundOutput &out, qint16 id)
{
    if (loadSound(out, id))
        out.play(soundBuffer(), false);
    QCoreApplication::processEvents();
}
