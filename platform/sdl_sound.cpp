#include "platform/sdl_sound.h"

#include <SDL.h>

#include <QLibrary>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <limits>

namespace plat {

namespace {

using Clock = std::chrono::steady_clock;
using Milliseconds = std::chrono::milliseconds;

// Frames per device buffer: small, so what is still in the device after the
// queue has drained is short and a played-to-the-end sound ends on time.
constexpr Uint16 DeviceFrames = 512;
// Waiting for the end gives up this long after the sound should have ended,
// so a device that has stopped taking data never hangs the caller.
constexpr Milliseconds StuckDeviceMargin{300};
constexpr Milliseconds PollStep{4};

void keepSignalsOurs()
{
    // SDL would otherwise catch SIGINT and SIGTERM and turn them into quit
    // events that nobody reads, and the program could not be ended.
    SDL_SetHintWithPriority(SDL_HINT_NO_SIGNAL_HANDLERS, "1", SDL_HINT_OVERRIDE);
}

#ifdef Q_OS_LINUX
extern "C" void ignoreAlsaError(const char *, int, const char *, int, const char *, ...) {}

// With no sound card, ALSA prints its errors on stderr while SDL probes it;
// a missing device is to be silent, so its messages go nowhere.
void keepAlsaQuiet()
{
    using Handler = void (*)(const char *, int, const char *, int, const char *, ...);
    QLibrary alsa(QStringLiteral("asound"), 2); // stays loaded; SDL shares it
    if (auto setHandler =
            reinterpret_cast<int (*)(Handler)>(alsa.resolve("snd_lib_error_set_handler")))
        setHandler(&ignoreAlsaError);
}
#else
void keepAlsaQuiet() {}
#endif

struct SdlFree {
    void operator()(Uint8 *p) const { SDL_free(p); }
};
using SdlBytes = std::unique_ptr<Uint8, SdlFree>;

// A decoded sound: its format and its sample bytes.
struct Pcm {
    SDL_AudioSpec spec{};
    SdlBytes bytes;
    Uint32 size = 0;
};

bool decode(const QByteArray &wave, Pcm &pcm)
{
    if (wave.isEmpty() || wave.size() > std::numeric_limits<int>::max())
        return false;
    SDL_RWops *rw = SDL_RWFromConstMem(wave.constData(), int(wave.size()));
    if (!rw)
        return false;
    Uint8 *bytes = nullptr;
    Uint32 size = 0;
    if (!SDL_LoadWAV_RW(rw, 1, &pcm.spec, &bytes, &size))
        return false;
    pcm.bytes.reset(bytes);
    pcm.size = size;
    return size > 0;
}

int bytesPerSecond(const SDL_AudioSpec &spec)
{
    return spec.freq * spec.channels * int(SDL_AUDIO_BITSIZE(spec.format) / 8);
}

} // namespace

struct SdlSound::Device {
    enum class State { NotStarted, Open, Failed };
    State state = State::NotStarted;
    bool audioStarted = false;
    SDL_AudioDeviceID id = 0;
    SDL_AudioSpec spec{};

    ~Device()
    {
        if (id != 0)
            SDL_CloseAudioDevice(id);
        if (audioStarted)
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }

    // Opens the device in the format of the first sound. False, now and on
    // every later call, when there is no usable device.
    bool open(const SDL_AudioSpec &format)
    {
        if (state != State::NotStarted)
            return state == State::Open;
        state = State::Failed;
        keepSignalsOurs();
        keepAlsaQuiet();
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
            return false;
        audioStarted = true;
        SDL_AudioSpec wanted{};
        // An odd first sound must not be taken for a missing device: the
        // device gets an ordinary format and that sound is converted.
        wanted.freq = format.freq >= 8000 && format.freq <= 96000 ? format.freq : 22050;
        wanted.format = format.format;
        wanted.channels = format.channels <= 2 ? format.channels : 2;
        wanted.samples = DeviceFrames;
        wanted.callback = nullptr; // fed with SDL_QueueAudio
        id = SDL_OpenAudioDevice(nullptr, 0, &wanted, &spec, 0);
        if (id == 0)
            return false;
        SDL_PauseAudioDevice(id, 0);
        state = State::Open;
        return true;
    }

    // Brings the sound to the device's format; false when SDL cannot.
    bool convert(Pcm &pcm) const
    {
        SDL_AudioCVT cvt;
        const int needed = SDL_BuildAudioCVT(&cvt, pcm.spec.format, pcm.spec.channels,
                                             pcm.spec.freq, spec.format, spec.channels,
                                             spec.freq);
        if (needed < 0)
            return false;
        if (needed == 0)
            return true;
        const size_t capacity = size_t(pcm.size) * size_t(std::max(cvt.len_mult, 1));
        SdlBytes buffer(static_cast<Uint8 *>(SDL_malloc(capacity)));
        if (!buffer)
            return false;
        std::memcpy(buffer.get(), pcm.bytes.get(), pcm.size);
        cvt.buf = buffer.get();
        cvt.len = int(pcm.size);
        if (SDL_ConvertAudio(&cvt) != 0 || cvt.len_cvt <= 0)
            return false;
        pcm.bytes = std::move(buffer);
        pcm.size = Uint32(cvt.len_cvt);
        pcm.spec.format = spec.format;
        pcm.spec.channels = spec.channels;
        pcm.spec.freq = spec.freq;
        return true;
    }

    // Returns once the queue has drained, the sound's length has passed and
    // the device has had time to sound its last buffer; or, whatever the
    // device does, a little after the sound should have ended.
    void waitForEnd(Uint32 queuedBytes, Clock::time_point start) const
    {
        const int rate = std::max(bytesPerSecond(spec), 1);
        const Milliseconds length{qint64(queuedBytes) * 1000 / rate + 1};
        const Milliseconds deviceLatency{qint64(spec.samples) * 1000 / std::max(spec.freq, 1) + 1};
        const auto giveUp = start + length + deviceLatency + StuckDeviceMargin;
        for (;;) {
            const auto now = Clock::now();
            if (now >= giveUp)
                return;
            if (now - start >= length && SDL_GetQueuedAudioSize(id) == 0) {
                const auto rest = std::min<Clock::duration>(deviceLatency, giveUp - now);
                SDL_Delay(Uint32(std::chrono::ceil<Milliseconds>(rest).count()));
                return;
            }
            SDL_Delay(Uint32(PollStep.count()));
        }
    }
};

SdlSound::SdlSound() : m_device(std::make_unique<Device>())
{
    keepSignalsOurs();
}

SdlSound::~SdlSound() = default;

void SdlSound::play(const QByteArray &wave, bool waitForEnd)
{
    const auto start = Clock::now();
    stop();
    Pcm pcm;
    if (!decode(wave, pcm))
        return;
    if (!m_device->open(pcm.spec) || !m_device->convert(pcm))
        return;
    if (SDL_QueueAudio(m_device->id, pcm.bytes.get(), pcm.size) != 0)
        return;
    if (waitForEnd)
        m_device->waitForEnd(pcm.size, start);
}

void SdlSound::stop()
{
    if (m_device->state == Device::State::Open)
        SDL_ClearQueuedAudio(m_device->id);
}

} // namespace plat
