// The two door sounds as the program carries them, and what PlayWaveSync and
// PlayWaveAsync ask of the sound output.

#include "doors/door_sounds.h"

#include <QtEndian>
#include <QtTest>

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

} // namespace

class TestDoorSounds : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void waveImages_data();
    void waveImages();
    void playing_data();
    void playing();
};

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
    QCOMPARE(le(w, 4), quint32(size - 8));
    const QList<quint32> fmt{le(w, 16), le(w, 20, 2), le(w, 22, 2), le(w, 24), le(w, 28),
                             le(w, 32, 2), le(w, 34, 2), le(w, 40)};
    QCOMPARE(fmt, QList<quint32>({16, 1, 1, 22050, 22050, 1, 8, 4}));
    QCOMPARE(le(w, 44), quint32(dataBytes));
    QCOMPARE(le(w, 52), quint32(dataBytes));
    QCOMPARE(56 + dataBytes + (dataBytes & 1), size);
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
    QTest::newRow("closing restarts") << 102 << 102 << true
                                      << QStringList{"stop", "play 102", "stop", "play 102"} << 2;
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

QTEST_MAIN(TestDoorSounds)
#include "tst_door_sounds.moc"
