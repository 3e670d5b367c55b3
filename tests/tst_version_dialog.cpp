// The version dialog: the model-number line, OK, the hand over the link,
// and the home page link through the maker's library as the build makes it.

#include "fake_platform.h"
#include "version/version_dialog.h"

#include <QDesktopServices>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

namespace {

const QString kReportRequest = QStringLiteral("\r\n\r\n 上記内容をクオベルHP関係者まで報告してください。");

// Catches what the real shell hands to the desktop.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public Q_SLOTS:
    void open(const QUrl &url) { urls.append(url); }
};

} // namespace

class TestVersionDialog : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void handCursorOverLink();
    void modelNumberLine_data();
    void modelNumberLine();
    void okHides();
    void link_data();
    void link();
    void onlyLeftClickFollowsLink();
    void realShellGetsAddress();
};

// The hand is the program's own picture, its point at the finger's tip.
void TestVersionDialog::handCursorOverLink()
{
    FakePlatform fp;
    frmShowVersion dialog(fp.platform);
    const QCursor cursor = dialog.Label5->cursor();
    QCOMPARE(cursor.shape(), Qt::BitmapCursor);
    QCOMPARE(cursor.hotSpot(), QPoint(12, 1));
    QCOMPARE(cursor.pixmap().size(), QSize(32, 32));
}

void TestVersionDialog::modelNumberLine_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("line");

    QTest::newRow("as shipped") << "/opt/coach/TT04K0007" << "型番・製造番号：TT04K0007";
    QTest::newRow("renamed, with extension")
        << "/home/u/bin/MyCoach.exe" << "型番・製造番号：MyCoach";
    QTest::newRow("dots in the name") << "/x/coach.v2.exe" << "型番・製造番号：coach.v2";
}

void TestVersionDialog::modelNumberLine()
{
    QFETCH(QString, program);
    QFETCH(QString, line);

    FakePlatform fp;
    fp.process.path = program;
    frmShowVersion dialog(fp.platform);
    QCOMPARE(dialog.Label1[1]->text(), line);
    dialog.Form_Load();
    QCOMPARE(dialog.Label1[1]->text(), line);
}

void TestVersionDialog::okHides()
{
    FakePlatform fp;
    frmShowVersion dialog(fp.platform);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QTest::mouseClick(dialog.Command1, Qt::LeftButton);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
}

void TestVersionDialog::link_data()
{
    QTest::addColumn<QString>("folder"); // empty: none; "damaged": a library that does not load
    QTest::addColumn<int>("key");         // 0: a left click; else Tab from OK, then this key
    QTest::addColumn<QStringList>("opened");
    QTest::addColumn<QString>("says");    // in the failure's description; empty: no failure

    const QString maker = QStringLiteral(TT_BINARY_DIR "/app");
    const QStringList home{QStringLiteral(TT_HOME_PAGE_URL)};
    QTest::newRow("maker library beside the program") << maker << 0 << home << QString();
    QTest::newRow("Return on the link") << maker << int(Qt::Key_Return) << home << QString();
    QTest::newRow("Enter on the link") << maker << int(Qt::Key_Enter) << home << QString();
    QTest::newRow("Space on the link") << maker << int(Qt::Key_Space) << home << QString();
    QTest::newRow("a letter on the link") << maker << int(Qt::Key_A) << QStringList{} << QString();
    QTest::newRow("library gives an empty address")
        << TT_BINARY_DIR "/version/maker-blank" << 0 << QStringList{QString()} << QString();
    QTest::newRow("library without the function")
        << TT_BINARY_DIR "/version/maker-no-url" << 0 << QStringList{} << "QuorvelHpURL";
    QTest::newRow("no library") << QString() << 0 << QStringList{} << "見つかりません";
    QTest::newRow("no library, from the keyboard")
        << QString() << int(Qt::Key_Space) << QStringList{} << "見つかりません";
    QTest::newRow("damaged library") << "damaged" << 0 << QStringList{} << "読み込めません";
}

void TestVersionDialog::link()
{
    QFETCH(QString, folder);
    QFETCH(int, key);
    QFETCH(QStringList, opened);
    QFETCH(QString, says);

    QTemporaryDir empty;
    QVERIFY(empty.isValid());
    if (folder == QLatin1String("damaged")) {
#ifdef Q_OS_WIN
        QFile junk(empty.filePath("Vellum3Res.dll"));
#else
        QFile junk(empty.filePath("libVellum3Res.so"));
#endif
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("not a library");
        junk.close();
        folder = empty.path();
    }
    if (folder.isEmpty())
        folder = empty.path();

    FakePlatform fp;
    fp.process.path = folder + QStringLiteral("/TT04K0007");
    frmShowVersion dialog(fp.platform);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    if (key) {
        QCOMPARE(dialog.focusWidget(), dialog.Command1);
        QTest::keyClick(dialog.windowHandle(), Qt::Key_Tab);
        QCOMPARE(dialog.focusWidget(), dialog.Label5);
    }

    // Twice: nothing is kept from one use to the next, and a failure leaves
    // the dialog usable.
    const bool fails = !says.isEmpty();
    for (int use = 1; use <= 2; ++use) {
        if (key)
            QTest::keyClick(dialog.windowHandle(), Qt::Key(key));
        else
            QTest::mouseClick(dialog.Label5, Qt::LeftButton);
        QVERIFY(dialog.isVisible());
        QStringList expected;
        for (int i = 0; i < use; ++i)
            expected += opened;
        QCOMPARE(fp.shell.opened, expected);
        QCOMPARE(fp.alerts.calls.size(), fails ? use : 0);
    }
    if (fails) {
        const FakeAlerts::Call &alert = fp.alerts.calls.constFirst();
        QCOMPARE(alert.icon, plat::AlertIcon::Critical);
        QCOMPARE(alert.title, QStringLiteral("Quorvelhp.dllのエラー"));
        QVERIFY2(alert.text.endsWith(kReportRequest), qPrintable(alert.text));
        // A Japanese sentence naming the library; paths go to the error output.
        const QString description = alert.text.chopped(kReportRequest.size());
        QVERIFY2(description.contains(QStringLiteral("Vellum3Res")) && description.contains(says) &&
                     description.endsWith(u'。') && !description.contains(u'/'),
                 qPrintable(description));
    }
}

void TestVersionDialog::onlyLeftClickFollowsLink()
{
    FakePlatform fp;
    fp.process.path = QStringLiteral(TT_BINARY_DIR "/app/TT04K0007");
    frmShowVersion dialog(fp.platform);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QTest::mouseClick(dialog.Label5, Qt::RightButton);
    QTest::mouseClick(dialog.Label5, Qt::MiddleButton);
    // Pressed on the link, released off it.
    QTest::mousePress(dialog.Label5, Qt::LeftButton);
    QTest::mouseRelease(dialog.Label5, Qt::LeftButton, {}, QPoint(-20, -20));
    QVERIFY(fp.shell.opened.isEmpty());
    QVERIFY(fp.alerts.calls.isEmpty());
}

void TestVersionDialog::realShellGetsAddress()
{
    const QUrl expected = QUrl::fromUserInput(QStringLiteral(TT_HOME_PAGE_URL));
    QVERIFY(!expected.scheme().isEmpty());
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(expected.scheme(), &catcher, "open");

    FakePlatform fp;
    fp.process.path = QStringLiteral(TT_BINARY_DIR "/app/TT04K0007");
    plat::Platform platform = fp.platform;
    platform.shell = plat::Platform::real().shell;
    frmShowVersion dialog(platform);
    dialog.Label5_Click();
    QDesktopServices::unsetUrlHandler(expected.scheme());

    QCOMPARE(catcher.urls, QList<QUrl>{expected});
    QVERIFY(fp.alerts.calls.isEmpty());
}

QTEST_MAIN(TestVersionDialog)
#include "tst_version_dialog.moc"
