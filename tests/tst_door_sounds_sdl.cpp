// The real sound output, plat::SdlSound, under SDL's "disk" driver (which
// writes what it plays to a file, at the pace of a real device) and with no
// usable driver. Every SdlSound starts SDL's audio afresh, so each test picks
// its driver through the environment before creating one.

#include "platform/sdl_sound.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <csignal>
#include <cmath>
#include <cstring>

namespace {

QByteArray resource(int id)
{
    QFile file(QStringLiteral(":/WAVE/%1").arg(id));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The sample bytes of one of our images: "fmt " is 16 bytes, so "data"
// starts at byte 36 + 12 ("fact") and its samples at byte 56.
QByteArray samplesOf(int id)
{
    const QByteArray image = resource(id);
    return image.mid(56, qFromLittleEndian<quint32>(image.constData() + 52));
}

int lengthMs(int id)
{
    return int(samplesOf(id).size() * 1000 / 22050);
}

// How many leading bytes of `sound` the output shows from `at` on.
qsizetype matchingPrefix(const QByteArray &output, qsizetype at, const QByteArray &sound)
{
    qsizetype n = 0;
    while (at + n < output.size() && n < sound.size() && output[at + n] == sound[n])
        ++n;
    return n;
}

// A 16-bit stereo 44.1 kHz sine of the given length: another format than the
// one the device was opened in.
QByteArray stereo16Wave(int milliseconds)
{
    const quint32 frames = 44100u * quint32(milliseconds) / 1000u;
    QByteArray data(qsizetype(frames) * 4, Qt::Uninitialized);
    for (quint32 i = 0; i < frames; ++i) {
        const auto v = qint16(8000 * std::sin(2 * M_PI * 440.0 * i / 44100.0));
        qToLittleEndian(v, data.data() + i * 4);
        qToLittleEndian(v, data.data() + i * 4 + 2);
    }
    QByteArray image("RIFF....WAVEfmt ");
    image.resize(44);
    qToLittleEndian<quint32>(16, image.data() + 16);
    qToLittleEndian<quint16>(1, image.data() + 20);
    qToLittleEndian<quint16>(2, image.data() + 22);
    qToLittleEndian<quint32>(44100, image.data() + 24);
    qToLittleEndian<quint32>(44100 * 4, image.data() + 28);
    qToLittleEndian<quint16>(4, image.data() + 32);
    qToLittleEndian<quint16>(16, image.data() + 34);
    std::memcpy(image.data() + 36, "data", 4);
    qToLittleEndian<quint32>(quint32(data.size()), image.data() + 40);
    image += data;
    qToLittleEndian<quint32>(quint32(image.size() - 8), image.data() + 4);
    return image;
}

} // namespace

class TestDoorSoundsSdl : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void syncPlaysTheSamplesToTheEnd();
    void soundIsCutShort_data();
    void soundIsCutShort();
    void otherFormatIsConverted_data();
    void otherFormatIsConverted();
    void unusableDeviceReturnsAtOnce_data();
    void unusableDeviceReturnsAtOnce();
    void badImageIsSilent_data();
    void badImageIsSilent();

private:
    // Points SDL's disk driver at a fresh file.
    void useDiskDriver();
    // What the disk driver wrote; call after the SdlSound is gone, which
    // closes the file.
    QByteArray played() const;

    QTemporaryDir m_dir;
    QString m_outputPath;
    int m_fileNumber = 0;
};

void TestDoorSoundsSdl::init()
{
    QVERIFY(m_dir.isValid());
    qunsetenv("SDL_DISKAUDIODELAY");
}

void TestDoorSoundsSdl::useDiskDriver()
{
    m_outputPath = m_dir.filePath(QStringLiteral("played-%1.raw").arg(++m_fileNumber));
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(m_outputPath));
}

QByteArray TestDoorSoundsSdl::played() const
{
    QFile file(m_outputPath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void TestDoorSoundsSdl::syncPlaysTheSamplesToTheEnd()
{
    const int id = 101;
    useDiskDriver();
    // SDL leaves a handler alone that is already there (QtTest has one), so
    // the check starts from the default a program starts with.
    struct sigaction defaultAction {};
    defaultAction.sa_handler = SIG_DFL;
    struct sigaction testHandler {};
    sigaction(SIGTERM, &defaultAction, &testHandler);
    qint64 elapsed = 0;
    {
        plat::SdlSound sound;
        QElapsedTimer timer;
        timer.start();
        sound.play(resource(id), true);
        elapsed = timer.elapsed();

        // Starting SDL's audio must not take SIGTERM away from the program.
        struct sigaction after {};
        sigaction(SIGTERM, &testHandler, &after);
        QVERIFY(after.sa_handler == SIG_DFL);
    }
    QVERIFY2(elapsed >= lengthMs(id), qPrintable(QString::number(elapsed)));
    QVERIFY2(elapsed < lengthMs(id) + 2000, "hang guard");
    QVERIFY2(played().contains(samplesOf(id)), "the samples were not played whole");
}

void TestDoorSoundsSdl::soundIsCutShort_data()
{
    QTest::addColumn<bool>("bySecondSound");
    QTest::newRow("by the opening sound") << true;
    QTest::newRow("by stop") << false;
}

void TestDoorSoundsSdl::soundIsCutShort()
{
    QFETCH(bool, bySecondSound);
    useDiskDriver();
    const QByteArray closing = samplesOf(102);
    const QByteArray opening = samplesOf(101);
    {
        plat::SdlSound sound;
        QElapsedTimer timer;
        timer.start();
        sound.play(resource(102), false);
        QVERIFY2(timer.elapsed() < 1000, "hang guard");
        QTest::qSleep(300);
        if (bySecondSound) {
            sound.play(resource(101), true);
        } else {
            sound.stop();
            QTest::qSleep(300);
        }
    }
    const QByteArray output = played();
    const qsizetype closingAt = output.indexOf(closing.left(1024));
    QVERIFY2(closingAt >= 0, "the closing sound never started");
    const qsizetype closingPlayed = matchingPrefix(output, closingAt, closing);
    QVERIFY2(closingPlayed < closing.size(), "the closing sound was not cut short");
    QVERIFY(!output.mid(closingAt + closingPlayed).contains(closing.mid(closingPlayed, 1024)));
    if (bySecondSound) {
        const qsizetype openingAt = output.indexOf(opening);
        QVERIFY2(openingAt >= 0, "the opening sound was not played whole");
        QVERIFY(openingAt >= closingAt + closingPlayed);
    }
}

void TestDoorSoundsSdl::otherFormatIsConverted_data()
{
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QByteArray>("second");
    QTest::addColumn<int>("secondMs");
    QTest::newRow("16-bit stereo after ours") << resource(101) << stereo16Wave(300) << 300;
    QTest::newRow("ours after 16-bit stereo") << stereo16Wave(300) << resource(102) << lengthMs(102);
}

void TestDoorSoundsSdl::otherFormatIsConverted()
{
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, second);
    QFETCH(int, secondMs);
    useDiskDriver();
    plat::SdlSound sound;
    sound.play(first, false); // the device opens in this sound's format
    QElapsedTimer timer;
    timer.start();
    sound.play(second, true);
    // A sound the device could not take would return at once.
    QVERIFY2(timer.elapsed() >= secondMs, qPrintable(QString::number(timer.elapsed())));
    QVERIFY2(timer.elapsed() < secondMs + 2000, "hang guard");
}

void TestDoorSoundsSdl::unusableDeviceReturnsAtOnce_data()
{
    QTest::addColumn<QByteArray>("driver");
    QTest::addColumn<QByteArray>("outputFile");
    QTest::newRow("no such driver") << QByteArray("nonexistent") << QByteArray();
    QTest::newRow("output cannot be opened")
        << QByteArray("disk") << QByteArray("/nonexistent-folder/played.raw");
}

void TestDoorSoundsSdl::unusableDeviceReturnsAtOnce()
{
    QFETCH(QByteArray, driver);
    QFETCH(QByteArray, outputFile);
    qputenv("SDL_AUDIODRIVER", driver);
    qputenv("SDL_DISKAUDIOFILE", outputFile);
    plat::SdlSound sound;
    for (bool sync : {true, false, true}) {
        QElapsedTimer timer;
        timer.start();
        sound.play(resource(102), sync);
        sound.stop();
        // Only a guard against hanging; real figures are in the benchmark.
        QVERIFY2(timer.elapsed() < 300, qPrintable(QString::number(timer.elapsed())));
    }
}

void TestDoorSoundsSdl::badImageIsSilent_data()
{
    QTest::addColumn<QByteArray>("image");
    QTest::addColumn<int>("maxMs");
    const QByteArray good = resource(101);
    auto patched32 = [&](int at, quint32 value) {
        QByteArray b = good;
        qToLittleEndian(value, b.data() + at);
        return b;
    };
    auto patched16 = [&](int at, quint16 value) {
        QByteArray b = good;
        qToLittleEndian(value, b.data() + at);
        return b;
    };
    QTest::newRow("empty") << QByteArray() << 300;
    QTest::newRow("not RIFF") << QByteArray(5000, 'x') << 300;
    QTest::newRow("header only") << good.left(40) << 300;
    QTest::newRow("no channels") << patched16(22, 0) << 300;
    QTest::newRow("no sample rate") << patched32(24, 0) << 300;
    QTest::newRow("not PCM") << patched16(20, 0x55) << 300;
    // At most what is really there may play. The slack is wide for loaded or
    // sanitizer builds; believing the size would play for hours.
    QTest::newRow("data size beyond the end") << patched32(52, 0x7ffffff0) << lengthMs(101) + 5000;
    QTest::newRow("truncated data") << good.left(3000) << lengthMs(101) + 5000;
}

void TestDoorSoundsSdl::badImageIsSilent()
{
    QFETCH(QByteArray, image);
    QFETCH(int, maxMs);
    useDiskDriver();
    {
        plat::SdlSound sound;
        QElapsedTimer timer;
        timer.start();
        sound.play(image, true);
        QVERIFY2(timer.elapsed() < maxMs, qPrintable(QString::number(timer.elapsed())));
        // A bad image leaves the output working for the next sound.
        sound.play(resource(101), true);
    }
    QVERIFY(played().contains(samplesOf(101)));
}

QTEST_GUILESS_MAIN(TestDoorSoundsSdl)
#include "tst_door_sounds_sdl.moc"
