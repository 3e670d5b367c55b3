// The two door sounds as the program carries them, and how PlayWaveSync and
// PlayWaveAsync drive the sound output.

#include "doors/door_sounds.h"

#include <QtEndian>
#include <QtTest>

namespace {

QByteArray resource(qint16 id)
{
    QFile file(QStringLiteral(":/WAVE/%1").arg(id));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

quint32 le32(const QByteArray &b, qsizetype at)
{
    return qFromLittleEndian<quint32>(b.constData() + at);
}

quint16 le16(const QByteArray &b, qsizetype at)
{
    return qFromLittleEndian<quint16>(b.constData() + at);
}

struct Chunk {
    QByteArray id;
    qsizetype body = 0;
    quint32 size = 0;
};

// Walks the chunks after "WAVE"; false when a chunk overruns the image or
// the walk does not end exactly at its end.
bool chunksOf(const QByteArray &image, QList<Chunk> &chunks)
{
    qsizetype at = 12;
    while (at + 8 <= image.size()) {
        Chunk c{image.mid(at, 4), at + 8, le32(image, at + 4)};
        if (c.body + qsizetype(c.size) > image.size())
            return false;
        chunks.append(c);
        at = c.body + c.size + (c.size & 1);
    }
    return at == image.size();
}

// Records what the doors ask of the sound output, and whether the bytes of
// a sound still playing were overwritten before it was stopped.
class RecordingSound final : public plat::SoundOutput {
public:
    struct Call {
        bool isPlay = false;
        QByteArray bytes;
        bool waitForEnd = false;
        const QByteArray *buffer = nullptr;
        int eventsSeen = 0;
    };
    QList<Call> calls;
    bool overwrittenWhilePlaying = false;
    const int *eventCount = nullptr;

    void play(const QByteArray &wave, bool waitForEnd) override
    {
        checkPlaying();
        calls.append(Call{true, wave, waitForEnd, &wave, eventCount ? *eventCount : 0});
        // A played-to-the-end sound is over when play returns.
        m_playing = waitForEnd ? nullptr : &wave;
        m_playingCopy = wave;
    }
    void stop() override
    {
        checkPlaying();
        calls.append(Call{});
        m_playing = nullptr;
    }

private:
    void checkPlaying()
    {
        if (m_playing && *m_playing != m_playingCopy)
            overwrittenWhilePlaying = true;
    }
    const QByteArray *m_playing = nullptr;
    QByteArray m_playingCopy;
};

// Counts posted events; the first one it receives posts one more, so a
// second round of event processing would show.
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

void play(bool async, plat::SoundOutput &out, qint16 id)
{
    if (async)
        PlayWaveAsync(out, id);
    else
        PlayWaveSync(out, id);
}

} // namespace

class TestDoorSounds : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void waveLayout_data();
    void waveLayout();
    void soundsStartAndEndQuietly_data();
    void soundsStartAndEndQuietly();
    void playCallsTheOutput_data();
    void playCallsTheOutput();
    void newSoundStopsTheOldBeforeReplacingIt_data();
    void newSoundStopsTheOldBeforeReplacingIt();
    void eventsRunOnlyInAsync_data();
    void eventsRunOnlyInAsync();
    void missingSoundIsSilent_data();
    void missingSoundIsSilent();
};

void TestDoorSounds::waveLayout_data()
{
    QTest::addColumn<qint16>("id");
    QTest::addColumn<qsizetype>("totalBytes");
    QTest::addColumn<quint32>("dataBytes");
    QTest::addColumn<int>("milliseconds");
    QTest::newRow("101 opening") << qint16(101) << qsizetype(12250) << 12193u << 553;
    QTest::newRow("102 closing") << qint16(102) << qsizetype(44156) << 44100u << 2000;
}

void TestDoorSounds::waveLayout()
{
    QFETCH(qint16, id);
    QFETCH(qsizetype, totalBytes);
    QFETCH(quint32, dataBytes);
    QFETCH(int, milliseconds);

    const QByteArray image = resource(id);
    QCOMPARE(image.size(), totalBytes);
    QCOMPARE(image.left(4), QByteArray("RIFF"));
    QCOMPARE(le32(image, 4), quint32(totalBytes - 8));
    QCOMPARE(image.mid(8, 4), QByteArray("WAVE"));

    QList<Chunk> chunks;
    QVERIFY2(chunksOf(image, chunks), "chunks do not fill the image exactly");
    QCOMPARE(chunks.size(), 3);
    QCOMPARE(chunks[0].id, QByteArray("fmt "));
    QCOMPARE(chunks[1].id, QByteArray("fact"));
    QCOMPARE(chunks[2].id, QByteArray("data"));

    const Chunk &fmt = chunks[0];
    QCOMPARE(fmt.size, 16u);
    QCOMPARE(le16(image, fmt.body + 0), quint16(1));      // PCM
    QCOMPARE(le16(image, fmt.body + 2), quint16(1));      // mono
    QCOMPARE(le32(image, fmt.body + 4), 22050u);          // samples per second
    QCOMPARE(le32(image, fmt.body + 8), 22050u);          // bytes per second
    QCOMPARE(le16(image, fmt.body + 12), quint16(1));     // bytes per sample
    QCOMPARE(le16(image, fmt.body + 14), quint16(8));     // bits per sample

    QCOMPARE(chunks[1].size, 4u);
    QCOMPARE(le32(image, chunks[1].body), dataBytes); // sample count

    const Chunk &data = chunks[2];
    QCOMPARE(data.size, dataBytes);
    if (dataBytes & 1)
        QCOMPARE(image.at(data.body + data.size), '\0');
    QCOMPARE(qRound(data.size * 1000.0 / 22050), milliseconds);

    // What the program embeds is what the generator committed.
    QFile committed(QStringLiteral(TT_FIXTURES_DIR "/../../resources/sounds/%1.wav").arg(id));
    QVERIFY(committed.open(QIODevice::ReadOnly));
    QCOMPARE(committed.readAll(), image);
}

void TestDoorSounds::soundsStartAndEndQuietly_data()
{
    QTest::addColumn<qint16>("id");
    QTest::newRow("101 opening") << qint16(101);
    QTest::newRow("102 closing") << qint16(102);
}

void TestDoorSounds::soundsStartAndEndQuietly()
{
    QFETCH(qint16, id);
    const QByteArray image = resource(id);
    const QByteArray samples = image.mid(56, le32(image, 52));
    QVERIFY(samples.size() > 1000);

    auto level = [](char s) { return qAbs(int(quint8(s)) - 128); };
    // A jump from or to silence clicks.
    QVERIFY(level(samples.front()) <= 2);
    QVERIFY(level(samples.back()) <= 2);
    int peak = 0;
    int clipped = 0;
    for (char s : samples) {
        peak = qMax(peak, level(s));
        clipped += quint8(s) == 0 || quint8(s) == 255;
    }
    QVERIFY2(peak >= 64, "sound is too quiet to hear");
    QCOMPARE(clipped, 0);
}

void TestDoorSounds::playCallsTheOutput_data()
{
    QTest::addColumn<bool>("async");
    QTest::addColumn<qint16>("id");
    QTest::newRow("sync 101") << false << qint16(101);
    QTest::newRow("async 102") << true << qint16(102);
}

void TestDoorSounds::playCallsTheOutput()
{
    QFETCH(bool, async);
    QFETCH(qint16, id);
    RecordingSound out;
    play(async, out, id);

    QCOMPARE(out.calls.size(), 2);
    QVERIFY(!out.calls[0].isPlay);
    QVERIFY(out.calls[1].isPlay);
    QCOMPARE(out.calls[1].bytes, resource(id));
    QCOMPARE(out.calls[1].waitForEnd, !async);
}

void TestDoorSounds::newSoundStopsTheOldBeforeReplacingIt_data()
{
    QTest::addColumn<bool>("secondAsync");
    QTest::newRow("closing cut by opening") << false;
    QTest::newRow("closing cut by closing") << true;
}

void TestDoorSounds::newSoundStopsTheOldBeforeReplacingIt()
{
    QFETCH(bool, secondAsync);
    RecordingSound out;
    PlayWaveAsync(out, 102);
    play(secondAsync, out, secondAsync ? 102 : 101);

    QCOMPARE(out.calls.size(), 4);
    QVERIFY(!out.calls[2].isPlay);
    QVERIFY(out.calls[3].isPlay);
    QCOMPARE(out.calls[3].bytes, resource(secondAsync ? 102 : 101));
    QVERIFY2(!out.overwrittenWhilePlaying, "buffer replaced under a playing sound");
    // One buffer serves every sound, so a background sound's memory stays valid.
    QCOMPARE(out.calls[3].buffer, out.calls[1].buffer);
}

void TestDoorSounds::eventsRunOnlyInAsync_data()
{
    QTest::addColumn<bool>("async");
    QTest::addColumn<int>("expectedEvents");
    QTest::newRow("sync runs none") << false << 0;
    QTest::newRow("async runs pending ones once") << true << 1;
}

void TestDoorSounds::eventsRunOnlyInAsync()
{
    QFETCH(bool, async);
    QFETCH(int, expectedEvents);
    EventCounter counter;
    RecordingSound out;
    out.eventCount = &counter.count;
    QCoreApplication::postEvent(&counter, new QEvent(QEvent::User));

    play(async, out, 102);

    QCOMPARE(counter.count, expectedEvents);
    // The sound starts before any event runs.
    QCOMPARE(out.calls.last().eventsSeen, 0);
    QCoreApplication::sendPostedEvents(&counter);
}

void TestDoorSounds::missingSoundIsSilent_data()
{
    QTest::addColumn<bool>("async");
    QTest::addColumn<qint16>("id");
    QTest::newRow("sync 103") << false << qint16(103);
    QTest::newRow("async -1") << true << qint16(-1);
}

void TestDoorSounds::missingSoundIsSilent()
{
    QFETCH(bool, async);
    QFETCH(qint16, id);
    RecordingSound out;
    PlayWaveAsync(out, 102);
    play(async, out, id);

    // The sound that was playing stops; nothing else is played.
    QCOMPARE(out.calls.size(), 3);
    QVERIFY(!out.calls[2].isPlay);
    QVERIFY(!out.overwrittenWhilePlaying);
}

QTEST_MAIN(TestDoorSounds)
#include "tst_door_sounds.moc"
