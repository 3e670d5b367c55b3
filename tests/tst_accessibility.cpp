// The control panel and the version dialog for keyboard and screen-reader
// users: accessible names, the panel's tab order, and the front-door switch
// worked from the keyboard.

#include "app/main_window.h"
#include "fake_platform.h"
#include "panel/control_panel.h"
#include "controls/controls.h"
#include "version/version_dialog.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QLabel>
#include <QTest>

#include <memory>

namespace {

// The panel shown and active, as a user finds it after start-up.
struct PanelRig {
    FakePlatform fp;
    Form1 form{fp.platform};

    PanelRig()
    {
        form.Form_Load();
        form.panel().activateWindow();
    }
    void key(Qt::Key key, Qt::KeyboardModifiers mods = {}) { QTest::keyClick(form.panel().windowHandle(), key, mods); }
    QString focusName() { return form.panel().focusWidget() ? form.panel().focusWidget()->objectName() : "-"; }
};

} // namespace

class TestAccessibility : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyVisibleControlIsNamed_data();
    void everyVisibleControlIsNamed();
    void keyboard_data();
    void keyboard();
};

void TestAccessibility::everyVisibleControlIsNamed_data()
{
    QTest::addColumn<bool>("panel");
    QTest::addColumn<bool>("placesWindows");
    QTest::newRow("control panel") << true << true;
    QTest::newRow("version dialog") << false << true;
    QTest::newRow("version dialog, Wayland notice") << false << false;
}

void TestAccessibility::everyVisibleControlIsNamed()
{
    QFETCH(bool, panel);
    QFETCH(bool, placesWindows);
    FakePlatform fp;
    fp.windowSystem.placesWindows = placesWindows;
    Form1 form(fp.platform);
    std::unique_ptr<frmShowVersion> dialog;
    if (!panel)
        dialog = std::make_unique<frmShowVersion>(fp.platform);
    QWidget *top = panel ? static_cast<QWidget *>(&form.panel()) : dialog.get();
    top->show();
    QList<QWidget *> controls{top};
    for (QWidget *w : top->findChildren<QWidget *>())
        if (w->isVisibleTo(top))
            controls.append(w);
    QVERIFY(controls.size() > 5);
    for (QWidget *w : controls) {
        QAccessibleInterface *face = QAccessible::queryAccessibleInterface(w);
        const QString name = face ? face->text(QAccessible::Name) : QString();
        // What the user sees is what is read out; a control without text of
        // its own is described in Japanese.
        QString shown = w->property("text").toString();
        if (!qobject_cast<QLabel *>(w) && !qobject_cast<QAbstractButton *>(w))
            shown.clear();
        if (!shown.isEmpty())
            QCOMPARE(name, shown);
        else
            QVERIFY2(std::any_of(name.begin(), name.end(), [](QChar c) { return c.unicode() >= 0x3000; }),
                     qPrintable(w->objectName() + ": " + name));
    }
    if (panel)
        return;
    // Where windows cannot be placed or kept on top, the dialog says so, whole
    // and clear of every other control shown.
    QLabel *notice = dialog->lblWindowSystem;
    QCOMPARE(notice->isVisible(), !placesWindows);
    if (placesWindows)
        return;
    QVERIFY(notice->text().contains(QStringLiteral("常に手前")));
    QVERIFY(dialog->rect().contains(notice->geometry()));
    QVERIFY(notice->heightForWidth(notice->width()) <= notice->height());
    for (QWidget *other : dialog->findChildren<QWidget *>())
        if (other != notice && other->isVisible())
            QVERIFY2(!other->geometry().intersects(notice->geometry()), qPrintable(other->objectName()));
}

void TestAccessibility::keyboard_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QStringList>("walk"); // Tab or Shift+Tab from the switch; else the door runs
    QTest::newRow("Tab") << int(Qt::Key_Tab) << QStringList{"HScroll1", "scllMakuSpeed_0", "Command3", "Check1"};
    QTest::newRow("Shift+Tab") << int(Qt::Key_Backtab) << QStringList{"Command3", "scllMakuSpeed_0", "HScroll1", "Check1"};
    QTest::newRow("Space") << int(Qt::Key_Space) << QStringList();
    QTest::newRow("Return") << int(Qt::Key_Return) << QStringList();
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << QStringList();
}

// The switch, first in the panel, has the focus from the start; the hidden
// controls are never reached; the switch runs the door as a click does.
void TestAccessibility::keyboard()
{
    QFETCH(int, key);
    QFETCH(QStringList, walk);
    PanelRig rig;
    QVERIFY(QTest::qWaitForWindowActive(&rig.form.panel()));
    frmSet &set = rig.form.panel();
    QCOMPARE(rig.focusName(), QStringLiteral("Check1"));
    const Qt::KeyboardModifiers mods = key == Qt::Key_Backtab ? Qt::ShiftModifier
                                       : key == Qt::Key_Enter ? Qt::KeypadModifier
                                                              : Qt::NoModifier;
    if (!walk.isEmpty()) {
        QStringList walked;
        for (qsizetype i = 0; i < walk.size(); ++i) {
            rig.key(Qt::Key(key), mods);
            walked.append(rig.focusName());
        }
        QCOMPARE(walked, walk);
        return;
    }
    bool lockedThroughout = true;
    rig.fp.pacing.onWait = [&](int) { lockedThroughout &= !set.Check1->isEnabled(); };
    // Open, then close again with the same key: the focus stays on the switch
    // across the run, so the second press reaches it too.
    for (bool open : {true, false}) {
        rig.fp.pacing.sleeps.clear();
        rig.fp.pacing.waits.clear();
        rig.key(Qt::Key(key), mods);
        QCOMPARE(set.Check1->isChecked(), open);
        QCOMPARE(rig.fp.pacing.sleeps, QList<int>{1000});
        QCOMPARE(rig.fp.pacing.waits.size(), 496);
        QCOMPARE(rig.form.picSlideBase1->twipsLeft(), open ? 1260.0f : 270.0f);
        QVERIFY(lockedThroughout && set.Check1->isEnabled());
        QCOMPARE(set.focusWidget(), set.Check1);
    }
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
