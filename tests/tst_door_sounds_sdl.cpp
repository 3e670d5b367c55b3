// The real sound output, plat::SdlSound, under SDL's "disk" driver (which
// writes what it plays to a file, at the pace of a real device) and with no
// usable driver. Every SdlSound starts SDL's audio afresh, so each test picks
// its driver through the environment before creating one.

#include "platform/sdl_sound.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <cmath>
#include <csignal>

namespace {

QByteArray resource(int id)
{
    QFile file(QStringLiteral(":/WAVE/%1").arg(id));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The samples of one of our images, which start at byte 56.
QByteArray samplesOf(int id)
{
    const QByteArray image = resource(id);
    return image.mid(56, qFromLittleEndian<quint32>(image.constData() + 52));
}

int lengthMs(int id) { return int(samplesOf(id).size() * 1000 / 22050); }

// A 16-bit stereo 44.1 kHz sine: another format than the one the device was
// opened in.
QByteArray stereo16Wave(int milliseconds)
{
    QByteArray data;
    for (int i = 0; i < 44100 * milliseconds / 1000; ++i) {
        char v[2];
        qToLittleEndian(qint16(8000 * std::sin(2 * M_PI * 440.0 * i / 44100.0)), v);
        data.append(v, 2).append(v, 2);
    }
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
    // What the disk driver wrote; read after the SdlSound is gone.
    QByteArray played() const
    {
        QFile file(m_output);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QTemporaryDir m_dir;
    QString m_output;
};

void TestDoorSoundsSdl::init()
{
    QVERIFY(m_dir.isValid());
    m_output = m_dir.filePath(QStringLiteral("%1-%2.raw")
                                  .arg(QTest::currentTestFunction(), QTest::currentDataTag()));
    qunsetenv("SDL_DISKAUDIODELAY");
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(m_output));
}

void TestDoorSoundsSdl::syncPlaysTheSamplesToTheEnd()
{
    // SDL leaves alone a handler that is already there, so the check starts
    // from the default that a program starts with.
    const auto before = std::signal(SIGTERM, SIG_DFL);
    qint64 elapsed = 0;
    {
        plat::SdlSound sound;
        QElapsedTimer timer;
        timer.start();
        sound.play(resource(101), true);
        elapsed = timer.elapsed();
        // Starting SDL's audio must not take SIGTERM away from the program.
        QVERIFY(std::signal(SIGTERM, before) == SIG_DFL);
    }
    QVERIFY2(elapsed >= lengthMs(101), qPrintable(QString::number(elapsed)));
    QVERIFY2(elapsed < lengthMs(101) + 2000, "hang guard");
    QVERIFY2(played().contains(samplesOf(101)), "the samples were not played whole");
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

void TestDoorSoundsSdl::otherFormatIsConverted_data()
{
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QByteArray>("second");
    QTest::addColumn<int>("secondMs");
    QTest::newRow("16-bit stereo after ours") << resource(101) << stereo16Wave(300) << 300;
    QTest::newRow("ours after 16-bit stereo") << stereo16Wave(300) << resource(102) << 2000;
}

void TestDoorSoundsSdl::otherFormatIsConverted()
{
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, second);
    QFETCH(int, secondMs);
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
    QTest::newRow("empty") << QByteArray() << 300;
    QTest::newRow("not RIFF") << QByteArray(5000, 'x') << 300;
    QTest::newRow("header only") << resource(101).left(40) << 300;
    QTest::newRow("no channels") << patched(22, 0, 2) << 300;
    QTest::newRow("no sample rate") << patched(24, 0, 4) << 300;
    QTest::newRow("not PCM") << patched(20, 0x55, 2) << 300;
    // At most what is really there may play; the slack is wide for loaded or
    // sanitizer builds, where believing the size would play for hours.
    QTest::newRow("data size beyond the end") << patched(52, 0x7ffffff0, 4) << 5600;
    QTest::newRow("truncated data") << resource(101).left(3000) << 5600;
}

void TestDoorSoundsSdl::badImageIsSilent()
{
    QFETCH(QByteArray, image);
    QFETCH(int, maxMs);
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
