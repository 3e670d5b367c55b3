// The two door sounds: what PlayWaveSync and PlayWaveAsync ask of the sound
// output, and the real output, plat::SdlSound, under SDL's "disk" driver
// (which writes what it plays to a file, at the pace of a real device) and
// with no usable driver. Every SdlSound starts SDL's audio afresh, so each
// test picks its driver before creating one.

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

QByteArray le(quint32 value, int bytes)
{
    const quint32 v = qToLittleEndian(value);
    return QByteArray(reinterpret_cast<const char *>(&v), bytes);
}

// The samples of one of our sounds, which start at byte 56.
QByteArray samplesOf(int id)
{
    const QByteArray image = resource(id);
    return image.mid(56, qFromLittleEndian<quint32>(image.constData() + 52));
}

QByteArray patched(int at, quint32 value, int bytes) { return resource(101).replace(at, bytes, le(value, bytes)); }

// A 16-bit stereo 44.1 kHz sound: another format than the one the device was
// opened in.
QByteArray stereo16Wave(int milliseconds)
{
    const quint32 size = 176400 * milliseconds / 1000;
    return "RIFF" + le(36 + size, 4) + "WAVEfmt " + le(16, 4) + le(1, 2) + le(2, 2) + le(44100, 4)
         + le(176400, 4) + le(4, 2) + le(16, 2) + "data" + le(size, 4) + QByteArray(size, '\x10');
}

// Writes each call down as "stop", "play 101" or "wait 101" (played to its
// end), and "events" where pending events ran; the first of those posts
// another, so that a second round of event processing would show. Notes too
// whether a sound still playing had its bytes overwritten.
class Recorder final : public QObject, public plat::SoundOutput {
public:
    QStringList calls;
    QSet<const QByteArray *> buffers;
    bool overwritten = false;

    void play(const QByteArray &wave, bool waitForEnd) override
    {
        check();
        calls << QStringLiteral("%1 %2").arg(waitForEnd ? "wait" : "play")
                     .arg(wave == resource(101) ? 101 : wave == resource(102) ? 102 : 0);
        buffers << &wave;
        m_playing = waitForEnd ? nullptr : &wave;
        m_copy = wave;
    }
    void stop() override
    {
        check();
        calls << QStringLiteral("stop");
        m_playing = nullptr;
    }

protected:
    void customEvent(QEvent *) override
    {
        calls << QStringLiteral("events");
        if (calls.count(QStringLiteral("events")) == 1)
            QCoreApplication::postEvent(this, new QEvent(QEvent::User));
    }

private:
    void check() { overwritten = overwritten || (m_playing && *m_playing != m_copy); }
    const QByteArray *m_playing = nullptr;
    QByteArray m_copy;
};

} // namespace

class TestDoorSounds : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_output;

    // What the disk driver wrote; read after the SdlSound is gone.
    QByteArray played() const
    {
        QFile file(m_output);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_output = m_dir.filePath(QStringLiteral("%1-%2.raw")
                                      .arg(QTest::currentTestFunction(), QTest::currentDataTag()));
        qunsetenv("SDL_DISKAUDIODELAY");
        qputenv("SDL_AUDIODRIVER", "disk");
        qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(m_output));
    }

    void playing_data()
    {
        QTest::addColumn<int>("before"); // a closing sound already started, or 0
        QTest::addColumn<int>("id");
        QTest::addColumn<bool>("async");
        QTest::addColumn<QStringList>("calls");
        QTest::newRow("sync plays to the end") << 0 << 101 << false << QStringList{"stop", "wait 101"};
        QTest::newRow("async runs pending events once")
            << 0 << 102 << true << QStringList{"stop", "play 102", "events"};
        QTest::newRow("opening cuts the closing")
            << 102 << 101 << false << QStringList{"stop", "play 102", "events", "stop", "wait 101"};
        QTest::newRow("no sound 103") << 102 << 103 << false
                                      << QStringList{"stop", "play 102", "events", "stop"};
        QTest::newRow("no sound -1, async") << 0 << -1 << true << QStringList{"stop", "events"};
    }

    void playing()
    {
        QFETCH(int, before);
        QFETCH(int, id);
        QFETCH(bool, async);
        QFETCH(QStringList, calls);
        Recorder out;
        QCoreApplication::postEvent(&out, new QEvent(QEvent::User));
        if (before)
            PlayWaveAsync(out, qint16(before));
        (async ? PlayWaveAsync : PlayWaveSync)(out, qint16(id));
        QCOMPARE(out.calls, calls);
        QVERIFY2(!out.overwritten, "a playing sound's bytes were replaced");
        // One buffer serves every sound, so a background sound's memory stays valid.
        QVERIFY(out.buffers.size() <= 1);
    }

    void output_data()
    {
        QTest::addColumn<QByteArray>("first"); // started before, in the background
        QTest::addColumn<int>("pauseMs"); // then waited, and again after the second
        QTest::addColumn<QByteArray>("second"); // played to its end; empty: a stop instead
        QTest::addColumn<int>("secondMs");
        QTest::newRow("the opening sound") << QByteArray() << 0 << resource(101) << 552;
        // The device opens in the first sound's format; the second is converted.
        QTest::newRow("16-bit stereo after ours") << resource(101) << 0 << stereo16Wave(300) << 300;
        QTest::newRow("ours after 16-bit stereo") << stereo16Wave(300) << 0 << resource(102) << 2000;
        QTest::newRow("the closing cut short by the opening") << resource(102) << 300 << resource(101) << 552;
        QTest::newRow("the closing cut short by stop") << resource(102) << 300 << QByteArray() << 0;
    }

    void output()
    {
        QFETCH(QByteArray, first);
        QFETCH(int, pauseMs);
        QFETCH(QByteArray, second);
        QFETCH(int, secondMs);
        // SDL leaves alone a handler that is already there, so the check
        // starts from the default that a program starts with.
        const auto before = std::signal(SIGTERM, SIG_DFL);
        {
            plat::SdlSound sound;
            QElapsedTimer timer;
            timer.start();
            if (!first.isEmpty())
                sound.play(first, false);
            QVERIFY2(timer.elapsed() < 1000, "hang guard");
            QTest::qSleep(pauseMs);
            timer.restart();
            second.isEmpty() ? sound.stop() : sound.play(second, true);
            // A sound the device could not take would return at once.
            QVERIFY2(timer.elapsed() >= secondMs, qPrintable(QString::number(timer.elapsed())));
            QVERIFY2(timer.elapsed() < secondMs + 2000, "hang guard");
            // Starting SDL's audio must not take SIGTERM away from the program.
            QVERIFY(std::signal(SIGTERM, before) == SIG_DFL);
            // Long enough after a stop for the closing sound to have ended, had it gone on.
            QTest::qSleep(second.isEmpty() ? 2000 : pauseMs);
        }
        const QByteArray output = played();
        if (second == resource(101))
            QVERIFY2(output.contains(samplesOf(101)), "the opening sound was not played whole");
        if (!pauseMs)
            return;
        const QByteArray closing = samplesOf(102);
        const qsizetype at = output.indexOf(closing.left(1024));
        QVERIFY2(at >= 0, "the closing sound never started");
        qsizetype n = 0;
        while (at + n < output.size() && n < closing.size() && output[at + n] == closing[n])
            ++n;
        QVERIFY2(n < closing.size(), "the closing sound was not cut short");
        QVERIFY2(!output.mid(at + n).contains(closing.mid(n, 1024)), "the closing sound went on");
        QVERIFY(second.isEmpty() || output.indexOf(samplesOf(101)) >= at + n);
    }

    void failures_data()
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
        // At most what is really there may play; the slack is wide for loaded
        // or sanitizer builds, where believing the size would play for hours.
        QTest::newRow("data size beyond the end") << QByteArray() << patched(52, 0x7ffffff0, 4) << 5600;
    }

    // Nothing plays, quickly and silently, and the output still works for
    // the next sound where there is a device.
    void failures()
    {
        QFETCH(QByteArray, driver);
        QFETCH(QByteArray, image);
        QFETCH(int, maxMs);
        if (!driver.isEmpty())
            qputenv(driver.startsWith('/') ? "SDL_DISKAUDIOFILE" : "SDL_AUDIODRIVER", driver);
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
};

QTEST_GUILESS_MAIN(TestDoorSounds)
#include "tst_door_sounds.moc"
