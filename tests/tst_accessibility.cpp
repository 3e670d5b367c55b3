// The control panel and the version dialog for keyboard and screen-reader
// users: accessible names, the panel's tab order, and the switches worked
// from the keyboard exactly as by a click.

#include "app/main_window.h"
#include "doors/front_door.h"
#include "fake_platform.h"
#include "panel/control_panel.h"
#include "controls/controls.h"
#include "version/version_dialog.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace {

QString accessibleName(QWidget *w)
{
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(w);
    return face ? face->text(QAccessible::Name) : QString();
}

// The text a control shows, if it shows one.
QString shownText(QWidget *w)
{
    if (auto *label = qobject_cast<QLabel *>(w))
        return label->text();
    if (auto *button = qobject_cast<QAbstractButton *>(w))
        return button->text();
    return {};
}

bool hasJapanese(const QString &text)
{
    for (QChar c : text)
        if (c.unicode() >= 0x3000)
            return true;
    return false;
}

// The panel shown and active, as a user finds it after start-up.
struct PanelRig {
    FakePlatform fp;
    Form1 form{fp.platform};

    PanelRig()
    {
        form.Form_Load();
        set().activateWindow();
    }
    frmSet &set() { return form.panel(); }
    bool ready() { return QTest::qWaitForWindowActive(&set()); }
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(set().windowHandle(), key, modifiers);
    }
    QString focusName() { return set().focusWidget() ? set().focusWidget()->objectName() : "-"; }
};

using Input = std::function<void(PanelRig &, QAbstractButton *)>;

} // namespace

Q_DECLARE_METATYPE(Input)

class TestAccessibility : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyVisibleControlIsNamed_data();
    void everyVisibleControlIsNamed();
    void tabWalksThePanelInOrder_data();
    void tabWalksThePanelInOrder();
    void switchFromKeyboardAsByClick_data();
    void switchFromKeyboardAsByClick();
    void focusAfterDoorRun_data();
    void focusAfterDoorRun();
    void versionButtonFromKeyboard_data();
    void versionButtonFromKeyboard();
    void slidersTakeKeysAsScrollBars_data();
    void slidersTakeKeysAsScrollBars();
};

void TestAccessibility::everyVisibleControlIsNamed_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<bool>("placesWindows");
    QTest::newRow("control panel") << "frmSet" << true;
    QTest::newRow("version dialog") << "frmShowVersion" << true;
    QTest::newRow("version dialog, Wayland notice") << "frmShowVersion" << false;
}

void TestAccessibility::everyVisibleControlIsNamed()
{
    QFETCH(QString, window);
    QFETCH(bool, placesWindows);
    FakePlatform fp;
    fp.windowSystem.placesWindows = placesWindows;
    Form1 form(fp.platform);
    form.Form_Load();
    std::unique_ptr<frmShowVersion> dialog;
    QWidget *top = &form.panel();
    if (window == "frmShowVersion") {
        dialog = std::make_unique<frmShowVersion>(fp.platform);
        top = dialog.get();
    }
    top->show();

    QList<QWidget *> controls{top};
    for (QWidget *w : top->findChildren<QWidget *>())
        if (w->isVisibleTo(top))
            controls.append(w);
    QVERIFY(controls.size() > 5);
    for (QWidget *w : controls) {
        const QString name = accessibleName(w);
        QVERIFY2(!name.trimmed().isEmpty(), qPrintable(w->objectName() + " has no name"));
        // What the user sees is what is read out; a control without text of
        // its own is described in Japanese.
        const QString shown = shownText(w);
        if (!shown.isEmpty())
            QCOMPARE(name, shown);
        else
            QVERIFY2(hasJapanese(name), qPrintable(w->objectName() + ": " + name));
    }
}

void TestAccessibility::tabWalksThePanelInOrder_data()
{
    QTest::addColumn<bool>("backwards");
    QTest::addColumn<QStringList>("walk"); // from the switch, round to it again
    QTest::newRow("Tab") << false
                         << QStringList{"HScroll1", "scllMakuSpeed_0", "Command3", "Check1"};
    QTest::newRow("Shift+Tab") << true
                               << QStringList{"Command3", "scllMakuSpeed_0", "HScroll1", "Check1"};
}

void TestAccessibility::tabWalksThePanelInOrder()
{
    QFETCH(bool, backwards);
    QFETCH(QStringList, walk);
    PanelRig rig;
    QVERIFY(rig.ready());
    // The switch, first in the panel, has the focus from the start.
    QCOMPARE(rig.focusName(), QStringLiteral("Check1"));
    QStringList walked;
    for (int i = 0; i < walk.size(); ++i) {
        if (backwards)
            rig.key(Qt::Key_Backtab, Qt::ShiftModifier);
        else
            rig.key(Qt::Key_Tab);
        walked.append(rig.focusName());
    }
    // The hidden middle-door and second-sign controls are never reached.
    QCOMPARE(walked, walk);
}

void TestAccessibility::switchFromKeyboardAsByClick_data()
{
    QTest::addColumn<Input>("activate");
    QTest::newRow("mouse click") << Input([](PanelRig &, QAbstractButton *b) {
        QTest::mouseClick(b, Qt::LeftButton);
    });
    QTest::newRow("Space") << Input([](PanelRig &rig, QAbstractButton *) {
        rig.key(Qt::Key_Space);
    });
    QTest::newRow("Return") << Input([](PanelRig &rig, QAbstractButton *) {
        rig.key(Qt::Key_Return);
    });
    QTest::newRow("keypad Enter") << Input([](PanelRig &rig, QAbstractButton *) {
        rig.key(Qt::Key_Enter, Qt::KeypadModifier);
    });
}

void TestAccessibility::switchFromKeyboardAsByClick()
{
    QFETCH(Input, activate);
    PanelRig rig;
    QVERIFY(rig.ready());
    frmSet &set = rig.set();
    QCOMPARE(set.focusWidget(), set.Check1);
    bool lockedThroughout = true;
    rig.fp.pacing.onWait = [&](int) { lockedThroughout &= !set.Check1->isEnabled(); };

    // Open, then close again with the same input: the focus stays on the
    // switch across the run, so the second press reaches it too.
    for (bool open : {true, false}) {
        activate(rig, set.Check1);
        QCOMPARE(set.Check1->isChecked(), open);
        QCOMPARE(rig.form.picSlideBase1->twipsLeft(),
                 float(open ? doors::kFrontOpenLeft : doors::kFrontClosedLeft));
        QVERIFY(lockedThroughout);
        QVERIFY(set.Check1->isEnabled());
        QCOMPARE(set.focusWidget(), set.Check1);
    }
}

void TestAccessibility::focusAfterDoorRun_data()
{
    QTest::addColumn<QString>("focusBefore");
    QTest::addColumn<QString>("movedDuringRun"); // empty: not moved
    QTest::addColumn<QString>("focusAfter");
    QTest::newRow("on the switch") << "Check1" << QString() << "Check1";
    QTest::newRow("moved by the user during the run")
        << "Check1" << "scllMakuSpeed_0" << "scllMakuSpeed_0";
    QTest::newRow("elsewhere, switch set by program") << "Command3" << QString() << "Command3";
}

void TestAccessibility::focusAfterDoorRun()
{
    QFETCH(QString, focusBefore);
    QFETCH(QString, movedDuringRun);
    QFETCH(QString, focusAfter);
    PanelRig rig;
    QVERIFY(rig.ready());
    frmSet &set = rig.set();
    set.findChild<QWidget *>(focusBefore)->setFocus();
    rig.fp.pacing.onWait = [&](int pass) {
        if (pass == 100 && !movedDuringRun.isEmpty())
            set.findChild<QWidget *>(movedDuringRun)->setFocus(Qt::TabFocusReason);
    };
    if (focusBefore == "Check1")
        rig.key(Qt::Key_Space);
    else
        set.Check1->setChecked(true);
    QVERIFY(set.Check1->isChecked());
    QCOMPARE(rig.focusName(), focusAfter);
}

void TestAccessibility::versionButtonFromKeyboard_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("Space") << int(Qt::Key_Space);
    QTest::newRow("Return") << int(Qt::Key_Return);
}

void TestAccessibility::versionButtonFromKeyboard()
{
    QFETCH(int, key);
    PanelRig rig;
    QVERIFY(rig.ready());
    rig.set().Command3->setFocus();
    // Closes the dialog once it is up; sending the key processes events
    // before the button has been activated too.
    bool shown = false;
    QTimer closer;
    connect(&closer, &QTimer::timeout, &closer, [&] {
        frmShowVersion *dialog = rig.form.versionDialog();
        if (dialog && dialog->isVisible()) {
            shown = true;
            closer.stop();
            dialog->Command1_Click();
        }
    });
    closer.start(0);
    rig.key(Qt::Key(key));
    closer.stop();
    QVERIFY(shown);
    QVERIFY(!rig.form.versionDialog());
}

void TestAccessibility::slidersTakeKeysAsScrollBars_data()
{
    QTest::addColumn<QString>("slider");
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("to");

    // Towards the right end, where the value is largest: Right, Down, Page
    // Down; the large change is 1, like the small one.
    const QString door = QStringLiteral("HScroll1"), doorLabel = QStringLiteral("lblMaeSpeed");
    QTest::newRow("Right raises") << door << doorLabel << 1000 << int(Qt::Key_Right) << 1001;
    QTest::newRow("Left lowers") << door << doorLabel << 1000 << int(Qt::Key_Left) << 999;
    QTest::newRow("Page Down") << door << doorLabel << 1000 << int(Qt::Key_PageDown) << 1001;
    QTest::newRow("Home") << door << doorLabel << 1000 << int(Qt::Key_Home) << 1;
    QTest::newRow("End") << door << doorLabel << 1000 << int(Qt::Key_End) << 30000;
    QTest::newRow("Left at the left end") << door << doorLabel << 1 << int(Qt::Key_Left) << 1;
    QTest::newRow("Right at the right end")
        << door << doorLabel << 30000 << int(Qt::Key_Right) << 30000;
    const QString sign = QStringLiteral("scllMakuSpeed_0"), signLabel = QStringLiteral("lblMakuSpeed_0");
    QTest::newRow("sign: Right") << sign << signLabel << 250 << int(Qt::Key_Right) << 251;
    QTest::newRow("sign: Up at the left end") << sign << signLabel << 0 << int(Qt::Key_Up) << 0;
    QTest::newRow("sign: End") << sign << signLabel << 250 << int(Qt::Key_End) << 1000;
}

void TestAccessibility::slidersTakeKeysAsScrollBars()
{
    QFETCH(QString, slider);
    QFETCH(QString, label);
    QFETCH(int, from);
    QFETCH(int, key);
    QFETCH(int, to);
    PanelRig rig;
    QVERIFY(rig.ready());
    auto *bar = rig.set().findChild<QScrollBar *>(slider);
    auto *shown = rig.set().findChild<QLabel *>(label);
    QVERIFY(bar && shown);
    bar->setValue(from);
    bar->setFocus();
    rig.key(Qt::Key(key));
    QCOMPARE(bar->value(), to);
    QCOMPARE(shown->text(), QString::number(to));
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
