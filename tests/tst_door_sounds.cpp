// The two door sounds as the program carries them, what PlayWaveSync and
// PlayWaveAsync ask of the sound output, and the real output, plat::SdlSound,
// under SDL's "disk" driver (which writes what it plays to a file, at the pace
// of a real device) and with no usable driver. Every SdlSound starts SDL's
// audio afresh, so each test picks its driver before creating one.

#include "doors/door_sounds.h"
#include "platform/sdl_sound.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <csignal>

namespace {

QByteArray resource(int id)
{
    QFile file(QStringLiteral(":/WAVE/%1").arg(id));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

quint32 le(const QByteArray &b, int at, int bytes = 4)
{
    return bytes == 4 ? qFromLittleEndian<quint32>(b.constData() + at)
                      : qFromLittleEndian<quint16>(b.constData() + at);
}

// The samples of one of our images, which start at byte 56.
QByteArray samplesOf(int id)
{
    const QByteArray image = resource(id);
    return image.mid(56, le(image, 52));
}

int lengthMs(int id) { return int(samplesOf(id).size() * 1000 / 22050); }

// Writes each call down as "stop", "play 101" or "wait 101" (played to its
// end), and notes whether a sound still playing had its bytes overwritten.
class RecordingSound final : public plat::SoundOutput {
public:
    QStringList calls;
    QList<const QByteArray *> buffers;
    QList<int> eventsAtPlay;
    const int *events = nullptr;
    bool overwritten = false;

    void play(const QByteArray &wave, bool waitForEnd) override
    {
        check();
        const int id = wave == resource(101) ? 101 : wave == resource(102) ? 102 : 0;
        calls << QStringLiteral("%1 %2").arg(waitForEnd ? "wait" : "play").arg(id);
        buffers << &wave;
        eventsAtPlay << *events;
        m_playing = waitForEnd ? nullptr : &wave;
        m_copy = wave;
    }
    void stop() override
    {
        check();
        calls << QStringLiteral("stop");
        m_playing = nullptr;
    }

private:
    void check() { overwritten = overwritten || (m_playing && *m_playing != m_copy); }
    const QByteArray *m_playing = nullptr;
    QByteArray m_copy;
};

// Counts posted events; the first one posts another, so that a second round
// of event processing would show.
class EventCounter final : public QObject {
public:
    int count = 0;

protected:
    void customEvent(QEvent *) override
    {
        if (++count == 1)
            QCoreApplication::postEvent(this, new QEvent(QEvent::User));
    }
};

// A 16-bit stereo 44.1 kHz sound: another format than the one the device was
// opened in.
QByteArray stereo16Wave(int milliseconds)
{
    const QByteArray data(176400 * milliseconds / 1000, '\x10');
    QByteArray head(44, '\0');
    const int fields[][3] = {{4, 36 + int(data.size()), 4}, {16, 16, 4}, {20, 1, 2}, {22, 2, 2},
                             {24, 44100, 4}, {28, 176400, 4}, {32, 4, 2}, {34, 16, 2},
                             {40, int(data.size()), 4}};
    for (const auto &[at, value, bytes] : fields)
        bytes == 4 ? qToLittleEndian<quint32>(value, head.data() + at)
                   : qToLittleEndian<quint16>(quint16(value), head.data() + at);
    head.replace(0, 4, "RIFF").replace(8, 8, "WAVEfmt ").replace(36, 4, "data");
    return head + data;
}

QByteArray patched(int at, quint32 value, int bytes)
{
    QByteArray b = resource(101);
    bytes == 4 ? qToLittleEndian<quint32>(value, b.data() + at)
               : qToLittleEndian<quint16>(quint16(value), b.data() + at);
    return b;
}

} // namespace

class TestDoorSounds : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void waveImages_data();
    void waveImages();
    void playing_data();
    void playing();
    void soundIsCutShort_data();
    void soundIsCutShort();
    void playsToTheEnd_data();
    void playsToTheEnd();
    void failures_data();
    void failures();

private:
    // What the disk driver wrote; read after the SdlSound is gone.
    QByteArray played() const
    {
        QFile file(m_output);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QTemporaryDir m_dir;
    QString m_output;
};

void TestDoorSounds::init()
{
    QVERIFY(m_dir.isValid());
    m_output = m_dir.filePath(QStringLiteral("%1-%2.raw")
                                  .arg(QTest::currentTestFunction(), QTest::currentDataTag()));
    qunsetenv("SDL_DISKAUDIODELAY");
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(m_output));
}

void TestDoorSounds::waveImages_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("dataBytes");
    QTest::newRow("101 opening") << 101 << 12250 << 12193;
    QTest::newRow("102 closing") << 102 << 44156 << 44100;
}

// RIFF WAVE, chunks "fmt " "fact" "data": PCM, mono, 22050 per second, 8 bits.
void TestDoorSounds::waveImages()
{
    QFETCH(int, id);
    QFETCH(int, size);
    QFETCH(int, dataBytes);
    const QByteArray w = resource(id);
    QCOMPARE(w.size(), size);
    QCOMPARE(w.left(4) + w.mid(8, 8) + w.mid(36, 4) + w.mid(48, 4), QByteArray("RIFFWAVEfmt factdata"));
    const QList<quint32> fields{le(w, 4), le(w, 16), le(w, 20, 2), le(w, 22, 2), le(w, 24), le(w, 28),
                                le(w, 32, 2), le(w, 34, 2), le(w, 40), le(w, 44), le(w, 52)};
    QCOMPARE(fields, QList<quint32>({quint32(size - 8), 16, 1, 1, 22050, 22050, 1, 8, 4,
                                     quint32(dataBytes), quint32(dataBytes)}));
}

void TestDoorSounds::playing_data()
{
    QTest::addColumn<int>("before"); // a closing sound already started, or 0
    QTest::addColumn<int>("id");
    QTest::addColumn<bool>("async");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<int>("events"); // pending events that ran

    QTest::newRow("sync plays to the end") << 0 << 101 << false
                                           << QStringList{"stop", "wait 101"} << 0;
    QTest::newRow("async runs pending events once") << 0 << 102 << true
                                                    << QStringList{"stop", "play 102"} << 1;
    QTest::newRow("opening cuts the closing")
        << 102 << 101 << false << QStringList{"stop", "play 102", "stop", "wait 101"} << 1;
    QTest::newRow("no sound 103") << 102 << 103 << false
                                  << QStringList{"stop", "play 102", "stop"} << 1;
    QTest::newRow("no sound -1, async") << 0 << -1 << true << QStringList{"stop"} << 1;
}

void TestDoorSounds::playing()
{
    QFETCH(int, before);
    QFETCH(int, id);
    QFETCH(bool, async);
    QFETCH(QStringList, calls);
    QFETCH(int, events);
    EventCounter counter;
    RecordingSound out;
    out.events = &counter.count;
    QCoreApplication::postEvent(&counter, new QEvent(QEvent::User));

    if (before)
        PlayWaveAsync(out, qint16(before));
    (async ? PlayWaveAsync : PlayWaveSync)(out, qint16(id));

    QCOMPARE(out.calls, calls);
    QCOMPARE(counter.count, events);
    QVERIFY2(!out.overwritten, "a playing sound's bytes were replaced");
    // A sound starts before the events it lets run.
    QCOMPARE(out.eventsAtPlay.value(0), 0);
    // One buffer serves every sound, so a background sound's memory stays valid.
    if (out.buffers.size() == 2)
        QCOMPARE(out.buffers[0], out.buffers[1]);
    QCoreApplication::sendPostedEvents(&counter);
}

void TestDoorSounds::soundIsCutShort_data()
{
    QTest::addColumn<bool>("bySecondSound");
    QTest::newRow("by the opening sound") << true;
    QTest::newRow("by stop") << false;
}

void TestDoorSounds::soundIsCutShort()
{
    QFETCH(bool, bySecondSound);
    const QByteArray closing = samplesOf(102);
    {
        plat::SdlSound sound;
        QElapsedTimer timer;
        timer.start();
        sound.play(resource(102), false);
        QVERIFY2(timer.elapsed() < 1000, "hang guard");
        QTest::qSleep(300);
        if (bySecondSound)
            sound.play(resource(101), true);
        else
            sound.stop();
        QTest::qSleep(300);
    }
    const QByteArray output = played();
    const qsizetype at = output.indexOf(closing.left(1024));
    QVERIFY2(at >= 0, "the closing sound never started");
    qsizetype n = 0;
    while (at + n < output.size() && n < closing.size() && output[at + n] == closing[n])
        ++n;
    QVERIFY2(n < closing.size(), "the closing sound was not cut short");
    QVERIFY(!output.mid(at + n).contains(closing.mid(n, 1024)));
    if (bySecondSound)
        QVERIFY2(output.indexOf(samplesOf(101)) >= at + n, "the opening sound was not played whole");
}

void TestDoorSounds::playsToTheEnd_data()
{
    QTest::addColumn<QByteArray>("first"); // started before, in the background
    QTest::addColumn<QByteArray>("second"); // played to its end
    QTest::addColumn<int>("secondMs");
    QTest::newRow("the opening sound") << QByteArray() << resource(101) << lengthMs(101);
    // The device opens in the first sound's format; the second is converted.
    QTest::newRow("16-bit stereo after ours") << resource(101) << stereo16Wave(300) << 300;
    QTest::newRow("ours after 16-bit stereo") << stereo16Wave(300) << resource(102) << 2000;
}

void TestDoorSounds::playsToTheEnd()
{
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, second);
    QFETCH(int, secondMs);
    // SDL leaves alone a handler that is already there, so the check starts
    // from the default that a program starts with.
    const auto before = std::signal(SIGTERM, SIG_DFL);
    {
        plat::SdlSound sound;
        if (!first.isEmpty())
            sound.play(first, false);
        QElapsedTimer timer;
        timer.start();
        sound.play(second, true);
        // A sound the device could not take would return at once.
        QVERIFY2(timer.elapsed() >= secondMs, qPrintable(QString::number(timer.elapsed())));
        QVERIFY2(timer.elapsed() < secondMs + 2000, "hang guard");
        // Starting SDL's audio must not take SIGTERM away from the program.
        QVERIFY(std::signal(SIGTERM, before) == SIG_DFL);
    }
    if (first.isEmpty())
        QVERIFY2(played().contains(samplesOf(101)), "the samples were not played whole");
}

void TestDoorSounds::failures_data()
{
    QTest::addColumn<QByteArray>("driver"); // empty: the disk driver
    QTest::addColumn<QByteArray>("image");
    QTest::addColumn<int>("maxMs");
    QTest::newRow("no such driver") << QByteArray("nonexistent") << resource(102) << 300;
    // The disk driver's output cannot be opened.
    QTest::newRow("no output") << QByteArray("/nonexistent-folder/played.raw") << resource(102) << 300;
    QTest::newRow("empty") << QByteArray() << QByteArray() << 300;
    QTest::newRow("not RIFF") << QByteArray() << QByteArray(5000, 'x') << 300;
    QTest::newRow("header only") << QByteArray() << resource(101).left(40) << 300;
    QTest::newRow("no channels") << QByteArray() << patched(22, 0, 2) << 300;
    QTest::newRow("not PCM") << QByteArray() << patched(20, 0x55, 2) << 300;
    // At most what is really there may play; the slack is wide for loaded or
    // sanitizer builds, where believing the size would play for hours.
    QTest::newRow("data size beyond the end") << QByteArray() << patched(52, 0x7ffffff0, 4) << 5600;
}

// Nothing plays, quickly and silently, and the output still works for the
// next sound where there is a device.
void TestDoorSounds::failures()
{
    QFETCH(QByteArray, driver);
    QFETCH(QByteArray, image);
    QFETCH(int, maxMs);
    if (driver.startsWith('/'))
        qputenv("SDL_DISKAUDIOFILE", driver);
    else if (!driver.isEmpty())
        qputenv("SDL_AUDIODRIVER", driver);
    {
        plat::SdlSound sound;
        for (bool sync : {true, false}) {
            QElapsedTimer timer;
            timer.start();
            sound.play(image, sync);
            sound.stop();
            QVERIFY2(timer.elapsed() < maxMs, qPrintable(QString::number(timer.elapsed())));
        }
        sound.play(resource(101), true);
    }
    QCOMPARE(played().contains(samplesOf(101)), driver.isEmpty());
}

QTEST_GUILESS_MAIN(TestDoorSounds)
#include "tst_door_sounds.moc"
