// Mouse input on the coach: which presses open the signboard menu, the click
// that gives the doorway view the focus, and the modal version dialog.

#include "app/main_window.h"
#include "fake_platform.h"
#include "version/version_dialog.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "popup_menu_driver.h"

#include <functional>

namespace {

// Centre of a control in the coach window's pixels.
QPoint centreOf(const QWidget *control) { return control->geometry().center(); }

} // namespace

class TestCoachMouse : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void presses_data();
    void presses();
    void doorwayClickTakesFocus_data();
    void doorwayClickTakesFocus();
    void versionDialogEachTimeAfresh();
    void itemsChosenWithLeftButtonOnly_data();
    void itemsChosenWithLeftButtonOnly();
};

void TestCoachMouse::presses_data()
{
    QTest::addColumn<QString>("target"); // a control's name, or empty for the coach body
    QTest::addColumn<QPoint>("offset");  // from the target's centre
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<bool>("menu");

    const Qt::KeyboardModifiers none;
    const QString roof;
    QTest::newRow("right on the roof") << roof << QPoint() << Qt::RightButton << none << true;
    QTest::newRow("right with Shift and Ctrl on the roof")
        << roof << QPoint() << Qt::RightButton
        << Qt::KeyboardModifiers(Qt::ShiftModifier | Qt::ControlModifier) << true;
    QTest::newRow("left on the roof") << roof << QPoint() << Qt::LeftButton << none << false;
    QTest::newRow("middle on the roof") << roof << QPoint() << Qt::MiddleButton << none << false;
    QTest::newRow("right on the left post")
        << "shpK_Waku_0" << QPoint(0, 10) << Qt::RightButton << none << true;
    QTest::newRow("right on the right post")
        << "shpK_Waku_1" << QPoint(0, 10) << Qt::RightButton << none << true;
    QTest::newRow("right on the bottom bar")
        << "shpK_Waku_2" << QPoint() << Qt::RightButton << none << true;
    QTest::newRow("left on the bottom bar")
        << "shpK_Waku_2" << QPoint() << Qt::LeftButton << none << false;
    QTest::newRow("right on the door leaf")
        << "picSlideBase1" << QPoint() << Qt::RightButton << none << false;
    QTest::newRow("right on the sign window")
        << "picWaku1_0" << QPoint() << Qt::RightButton << none << false;
    QTest::newRow("right on the signboard")
        << "PicKanban" << QPoint() << Qt::RightButton << none << true;
    QTest::newRow("middle on the signboard")
        << "PicKanban" << QPoint() << Qt::MiddleButton << none << false;
}

void TestCoachMouse::presses()
{
    QFETCH(QString, target);
    QFETCH(QPoint, offset);
    QFETCH(Qt::MouseButton, button);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(bool, menu);

    FakePlatform fp;
    Form1 form(fp.platform);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QPoint at(400, 8); // the roof, clear of every control
    if (!target.isEmpty()) {
        auto *control = form.findChild<QWidget *>(target);
        QVERIFY(control);
        at = centreOf(control) + offset;
    }
    const QRect board = form.PicKanban->geometry();

    QStringList items;
    bool marks = false;
    QMenu *opened = whileMenuOpen(
        [&] { QTest::mousePress(form.windowHandle(), button, modifiers, at); },
        [&](QMenu *m) {
            for (QAction *a : m->actions())
                items << (a->isSeparator() ? QStringLiteral("-") : a->text());
            marks = form.MnuViewKanban->isChecked() && form.MnuViewWaku->isChecked();
            m->close();
        });
    QTest::mouseRelease(form.windowHandle(), button, modifiers, at);

    if (!menu) {
        QVERIFY(!opened);
    } else {
        QCOMPARE(opened, form.MnuTempMenu1);
        QCOMPARE(items, (QStringList{"看板の表示", "枠の表示", "看板の画像を設定...", "-",
                                     "看板のリセット"}));
        QVERIFY(marks);
    }
    // A dismissed menu runs nothing; nothing here moves the signboard.
    QCOMPARE(form.PicKanban->geometry(), board);
    QVERIFY(form.MnuViewKanban->isChecked());
    QVERIFY(form.MnuViewWaku->isChecked());
    QVERIFY(fp.fileDialog.calls.isEmpty());
}

void TestCoachMouse::doorwayClickTakesFocus_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<bool>("takes");

    QTest::newRow("left") << Qt::LeftButton << true;
    QTest::newRow("right") << Qt::RightButton << true;
    QTest::newRow("middle") << Qt::MiddleButton << false;
}

void TestCoachMouse::doorwayClickTakesFocus()
{
    QFETCH(Qt::MouseButton, button);
    QFETCH(bool, takes);

    FakePlatform fp;
    Form1 form(fp.platform);
    form.show();
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    form.picWaku1[0]->setFocus(Qt::MouseFocusReason);
    QCOMPARE(form.focusWidget(), form.picWaku1[0]);

    // The door open: the leaf's left edge at 84 pixels uncovers the doorway
    // view from 18 to 84.
    form.picSlideBase1->setLeft(1260);
    const QPoint uncovered(40, 140);
    QCOMPARE(form.childAt(uncovered), form.Picture1);

    QMenu *opened = whileMenuOpen(
        [&] { QTest::mouseClick(form.windowHandle(), button, {}, uncovered); },
        [](QMenu *m) { m->close(); });
    QVERIFY(!opened);
    QCOMPARE(form.focusWidget(), takes ? static_cast<QWidget *>(form.Picture1)
                                       : static_cast<QWidget *>(form.picWaku1[0]));
}

// The model-number line itself is the version dialog's own test.
void TestCoachMouse::versionDialogEachTimeAfresh()
{
    FakePlatform fp;
    Form1 form(fp.platform);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    for (int showing = 1; showing <= 2; ++showing) {
        QPointer<frmShowVersion> seen;
        bool modal = false;
        QMenu *menuWhileModal = nullptr;
        QTimer poll;
        poll.setInterval(10);
        connect(&poll, &QTimer::timeout, [&] {
            auto *dialog = qobject_cast<frmShowVersion *>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isVisible())
                return;
            poll.stop();
            seen = dialog;
            // Modal, and kept above the always-on-top panel.
            modal = dialog->isModal() && form.versionDialog() == dialog &&
                    dialog->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
            // The coach takes no input while the dialog is open.
            menuWhileModal = whileMenuOpen(
                [&] {
                    QTest::mousePress(form.windowHandle(), Qt::RightButton, {}, QPoint(400, 8));
                    QTest::mouseRelease(form.windowHandle(), Qt::RightButton, {}, QPoint(400, 8));
                },
                [](QMenu *m) { m->close(); });
            dialog->Command1->click();
        });
        poll.start();
        form.MnuHelpVer_Click();
        poll.stop();

        QVERIFY(seen.isNull()); // unloaded once closed
        QVERIFY(modal);
        QVERIFY(!menuWhileModal);
        QVERIFY(!form.versionDialog());
    }
}

void TestCoachMouse::itemsChosenWithLeftButtonOnly_data()
{
    QTest::addColumn<QList<Qt::MouseButton>>("clicks"); // in turn, on "看板の表示"
    QTest::addColumn<bool>("chosen");
    QTest::newRow("left") << QList<Qt::MouseButton>{Qt::LeftButton} << true;
    QTest::newRow("right") << QList<Qt::MouseButton>{Qt::RightButton} << false;
    QTest::newRow("middle") << QList<Qt::MouseButton>{Qt::MiddleButton} << false;
    QTest::newRow("right, then left")
        << QList<Qt::MouseButton>{Qt::RightButton, Qt::LeftButton} << true;
}

void TestCoachMouse::itemsChosenWithLeftButtonOnly()
{
    QFETCH(QList<Qt::MouseButton>, clicks);
    QFETCH(bool, chosen);

    FakePlatform fp;
    Form1 form(fp.platform);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    bool openAfterEachMiss = true;
    QMenu *opened = whileMenuOpen([&] { form.Form_MouseDown(Qt::RightButton); },
                                  [&](QMenu *m) {
                                      const QPoint item =
                                          m->actionGeometry(form.MnuViewKanban).center();
                                      for (Qt::MouseButton button : clicks) {
                                          QTest::mouseClick(m, button, {}, item);
                                          if (button != Qt::LeftButton)
                                              openAfterEachMiss &= m->isVisible();
                                      }
                                  });
    QCOMPARE(opened, form.MnuTempMenu1);
    QVERIFY(openAfterEachMiss);
    QCOMPARE(form.PicKanban->isVisible(), !chosen);
    QCOMPARE(form.MnuViewKanban->isChecked(), !chosen);
}

QTEST_MAIN(TestCoachMouse)
#include "tst_coach_mouse.moc"
