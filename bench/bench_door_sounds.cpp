// Prints how long the door sound calls take through the real SDL output:
// how far a played-to-the-end sound overruns its length (disk driver, which
// paces like a real device), how fast a background start returns, and what
// a call costs when there is no usable device. With --system-driver it also
// times the first (audible) opening sound on the driver SDL picks itself.

#include "bench/figure.h"
#include "doors/door_sounds.h"
#include "platform/sdl_sound.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct Figures {
    double min = 0, median = 0, max = 0;
};

template <typename F>
Figures measure(int runs, F &&call)
{
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        call();
        ms.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return {ms.front(), ms[ms.size() / 2], ms.back()};
}

void print(const char *what, const Figures &f)
{
    std::printf("%-44s min %8.2f  median %8.2f  max %8.2f ms\n", what, f.min, f.median, f.max);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const bool systemDriver = app.arguments().contains(QStringLiteral("--system-driver"));
    const QByteArray startDriver = qgetenv("SDL_AUDIODRIVER");
    QTemporaryDir dir;
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(dir.filePath("bench.raw")));
    {
        plat::SdlSound sound;
        PlayWaveAsync(sound, 101); // opens the device
        sound.stop();
        const Figures sync = measure(5, [&] { PlayWaveSync(sound, 101); });
        print("PlayWaveSync(101), length 553 ms", sync);
        bench::figure("door sound: played to the end (101)", bench::format("%.0f ms", sync.median),
                      "its length 553 ms");
        const Figures async = measure(20, [&] { PlayWaveAsync(sound, 102); });
        print("PlayWaveAsync(102) return", async);
        bench::figure("door sound: background start returns", bench::format("%.2f ms", async.median));
        sound.stop();
    }

    qputenv("SDL_AUDIODRIVER", "nonexistent");
    {
        plat::SdlSound sound;
        print("no driver: first PlayWaveSync(101)", measure(1, [&] { PlayWaveSync(sound, 101); }));
        print("no driver: later PlayWaveSync(101)", measure(50, [&] { PlayWaveSync(sound, 101); }));
    }

    if (systemDriver) {
        if (startDriver.isEmpty())
            qunsetenv("SDL_AUDIODRIVER");
        else
            qputenv("SDL_AUDIODRIVER", startDriver);
        plat::SdlSound sound;
        print("system driver: first PlayWaveSync(101)", measure(1, [&] { PlayWaveSync(sound, 101); }));
        print("system driver: later PlayWaveSync(101)", measure(3, [&] { PlayWaveSync(sound, 101); }));
    }
    return 0;
}
