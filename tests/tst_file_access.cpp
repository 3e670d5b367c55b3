// Reading and replacing files whatever the path names: pipes, devices,
// folders and links to them are refused without blocking or being replaced.

#include "platform/file_access.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

using plat::PathKind;
using plat::ReadFailure;

class TestFileAccess : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString at(const QString &name) const { return m_dir.filePath(name); }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QFile f(at("plain.ini"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("0123456789");
        f.close();
        QVERIFY(QFile::link(at("plain.ini"), at("link-to-plain")));
        QVERIFY(QFile::link(at("link-to-plain"), at("link-to-link")));
        QVERIFY(QFile::link(at("gone"), at("dangling")));
        QVERIFY(QFile::link(m_dir.path(), at("link-to-folder")));
#ifdef Q_OS_UNIX
        QCOMPARE(::mkfifo(QFile::encodeName(at("pipe")).constData(), 0600), 0);
        QVERIFY(QFile::link(at("pipe"), at("link-to-pipe")));
        QVERIFY(QFile::link(QStringLiteral("/dev/null"), at("link-to-device")));
#endif
    }

    void kinds_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<PathKind>("kind");
        QTest::addColumn<ReadFailure>("readFailure");
        QTest::addColumn<bool>("replaceable");
        QTest::newRow("regular file") << "plain.ini" << PathKind::Regular << ReadFailure::None << true;
        QTest::newRow("link to it") << "link-to-plain" << PathKind::Regular << ReadFailure::None << true;
        QTest::newRow("link to a link") << "link-to-link" << PathKind::Regular << ReadFailure::None << true;
        QTest::newRow("nothing there") << "absent.ini" << PathKind::Missing << ReadFailure::Missing << true;
        QTest::newRow("dangling link") << "dangling" << PathKind::DanglingLink << ReadFailure::Missing << false;
        QTest::newRow("folder") << "." << PathKind::Special << ReadFailure::NotRegular << false;
        QTest::newRow("link to a folder") << "link-to-folder" << PathKind::Special << ReadFailure::NotRegular << false;
#ifdef Q_OS_UNIX
        QTest::newRow("named pipe") << "pipe" << PathKind::Special << ReadFailure::NotRegular << false;
        QTest::newRow("link to a pipe") << "link-to-pipe" << PathKind::Special << ReadFailure::NotRegular << false;
        QTest::newRow("link to a device") << "link-to-device" << PathKind::Special << ReadFailure::NotRegular << false;
#endif
    }

    // A pipe without a writer would block a plain open for ever: the test
    // then times out instead of passing.
    void kinds()
    {
        QFETCH(QString, name);
        QFETCH(PathKind, kind);
        QFETCH(ReadFailure, readFailure);
        QFETCH(bool, replaceable);
        QCOMPARE(plat::pathKind(at(name)), kind);
        const plat::FileBytes read = plat::readRegularFile(at(name), 100);
        QCOMPARE(read.failure, readFailure);
        QCOMPARE(read.bytes.isEmpty(), readFailure != ReadFailure::None);
        if (!read.ok())
            QVERIFY(!read.error.isEmpty());
        QCOMPARE(!plat::replaceTarget(at(name)).isEmpty(), replaceable);
    }

    void readStopsAtTheCap_data()
    {
        QTest::addColumn<int>("cap");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("truncated");
        QTest::newRow("more than the file") << 100 << QByteArray("0123456789") << false;
        QTest::newRow("exactly the file") << 10 << QByteArray("0123456789") << false;
        QTest::newRow("one byte short") << 9 << QByteArray("012345678") << true;
        QTest::newRow("nothing") << 0 << QByteArray() << true;
    }

    void readStopsAtTheCap()
    {
        QFETCH(int, cap);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, truncated);
        const plat::FileBytes read = plat::readRegularFile(at("plain.ini"), cap);
        QVERIFY(read.ok());
        QCOMPARE(read.bytes, bytes);
        QCOMPARE(read.truncated, truncated);
    }

    void replacingThroughALinkKeepsTheLink()
    {
        QVERIFY(QFile::link(at("plain.ini"), at("saved-link")));
        const plat::WriteOutcome written = plat::replaceFile(at("saved-link"), "new line\r\n");
        QVERIFY2(written.ok, qPrintable(written.error));
        QVERIFY(QFileInfo(at("saved-link")).isSymLink());
        QCOMPARE(plat::readRegularFile(at("plain.ini"), 100).bytes, QByteArray("new line\r\n"));
        // Put back what the other tests read.
        QVERIFY(plat::replaceFile(at("plain.ini"), "0123456789").ok);
    }

    void refusedTargetsAreLeftAlone()
    {
        for (const char *name : {"dangling", "link-to-folder", "link-to-pipe", "pipe"}) {
            if (!QFileInfo(at(name)).isSymLink() && !QFileInfo::exists(at(name)))
                continue; // a kind this system cannot make
            const plat::WriteOutcome written = plat::replaceFile(at(name), "x");
            QVERIFY2(!written.ok, name);
            QVERIFY(!written.error.isEmpty());
        }
        QVERIFY(!QFileInfo::exists(at("gone")));
#ifdef Q_OS_UNIX
        struct stat st;
        QCOMPARE(::lstat(QFile::encodeName(at("pipe")).constData(), &st), 0);
        QVERIFY(S_ISFIFO(st.st_mode));
#endif
    }
};

QTEST_GUILESS_MAIN(TestFileAccess)
#include "tst_file_access.moc"
