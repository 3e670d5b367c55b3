// Living with the window system: Qt's own texts in the user's language, and
// the title bars each window asks for.

#include "app/main_window.h"
#include "fake_platform.h"
#include "panel/control_panel.h"
#include "platform/startup.h"
#include "platform/window_keeping.h"
#include "version/version_dialog.h"

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QLocale>
#include <QMessageBox>
#include <QTest>

class TestWindowSystem : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void qtSpeaksTheUsersLanguage_data();
    void qtSpeaksTheUsersLanguage();
    void titleBars_data();
    void titleBars();
};

// Qt's dialogs and standard buttons follow the user's locale; the last row
// leaves them in English for the other tests.
void TestWindowSystem::qtSpeaksTheUsersLanguage_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("cancel");
    QTest::addColumn<QString>("open");
    QTest::newRow("Japanese") << "ja_JP" << "キャンセル" << "開く";
    QTest::newRow("German") << "de_DE" << "Abbrechen" << "Öffnen";
    QTest::newRow("Japanese, language only") << "ja" << "キャンセル" << "開く";
    QTest::newRow("a locale Qt has no texts for") << "sw_KE" << "Cancel" << "Open";
    QTest::newRow("English") << "en_US" << "Cancel" << "Open";
}

void TestWindowSystem::qtSpeaksTheUsersLanguage()
{
    QFETCH(QString, locale);
    QFETCH(QString, cancel);
    QFETCH(QString, open);
    plat::loadQtTranslations(QLocale(locale));
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), cancel);
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Open"), open);
}

// Only the coach's title bar shows the program's icon. Where the window
// manager minimises a window without a taskbar button or a modal dialog
// anyway, it comes back; the coach itself may be minimised.
void TestWindowSystem::titleBars_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<bool>("programIcon");
    QTest::addColumn<bool>("comesBack");
    QTest::newRow("control panel") << "frmSet" << false << true;
    QTest::newRow("version dialog") << "frmShowVersion" << false << true;
    QTest::newRow("coach") << "Form1" << true << false;
    QTest::newRow("a box of Qt's own, while modal") << "QMessageBox" << true << true;
}

void TestWindowSystem::titleBars()
{
    QFETCH(QString, window);
    QFETCH(bool, programIcon);
    QFETCH(bool, comesBack);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/pictures/icon.png")));
    plat::restoreModalWindowsWhenMinimised();
    FakePlatform fp;
    Form1 form(fp.platform);
    frmShowVersion dialog(fp.platform);
    QMessageBox box(QMessageBox::Warning, QStringLiteral("開く"), QStringLiteral("ファイルが見つかりません。"));
    box.setModal(true);
    QWidget *w = window == "frmSet"        ? static_cast<QWidget *>(&form.panel())
                 : window == "Form1"       ? static_cast<QWidget *>(&form)
                 : window == "QMessageBox" ? static_cast<QWidget *>(&box)
                                           : &dialog;
    const QImage icon = w->windowIcon().pixmap(16).toImage().convertToFormat(QImage::Format_ARGB32);
    bool drawn = false;
    for (int y = 0; y < icon.height(); ++y)
        for (int x = 0; x < icon.width(); ++x)
            drawn |= qAlpha(icon.pixel(x, y)) != 0;
    QCOMPARE(drawn, programIcon);

    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    w->showMinimized();
    QTest::qWait(50);
    QCOMPARE(w->isMinimized(), !comesBack);
    QVERIFY(w->isVisible());
}

QTEST_MAIN(TestWindowSystem)
#include "tst_window_system.moc"
