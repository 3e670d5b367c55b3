// Form1's settings: the record read at start-up turned into window state, in
// the windows' own order, and the window state gathered back into a record at
// shutdown.

#include "app/main_window.h"
#include "panel/control_panel.h"
#include "platform/end_requests.h"
#include "settings/settings_file.h"
#include "settings/settings_location.h"
#include "sign/destination_sign.h"
#include "signboard/signboard.h"

#include <QAction>
#include <QDebug>
#include <QDir>
#include <QGuiApplication>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>

#include <algorithm>
#include <cmath>
#include <limits>
#include <tuple>
#include <utility>

namespace {

SettingsLocation settingsLocation(const plat::Process &process)
{
    return SettingsLocation::of(plat::programFolder(process), plat::modelNumber(process));
}

// The field's and the file system's own words go to the error output; the
// user sees a short box at most.
void reportProblem(const plat::Process &process, const QString &text)
{
    qWarning().noquote() << plat::modelNumber(process) + QStringLiteral(": ") + text;
}

// Whether a window of this size placed here would show on some screen.
bool onSomeScreen(QPoint topLeft, QSize size)
{
    const QRect place(topLeft, size);
    for (const QScreen *screen : QGuiApplication::screens())
        if (screen->geometry().intersects(place))
            return true;
    return QGuiApplication::screens().isEmpty();
}

QPoint pixelsOf(qint32 leftTwips, qint32 topTwips)
{
    return QPoint(controls::twipsToPixels(leftTwips), controls::twipsToPixels(topTwips));
}

QPoint primaryTopLeft()
{
    const QScreen *primary = QGuiApplication::primaryScreen();
    return primary ? primary->geometry().topLeft() : QPoint(0, 0);
}

// A single-precision position as the whole number of twips nearest to it
// that a 32-bit field holds: above 2^24 a float skips whole numbers, and its
// largest values lie just past the field's range.
qint32 wholeTwips(float twips)
{
    if (std::isnan(twips))
        return 0;
    const double limited = std::clamp(double(twips), double(std::numeric_limits<qint32>::min()),
                                      double(std::numeric_limits<qint32>::max()));
    return qint32(std::llround(limited));
}

// A slider refuses a value outside its range, as the classic one raises an error.
QString setSlider(QScrollBar *slider, qint32 value)
{
    if (value < slider->minimum() || value > slider->maximum())
        return QStringLiteral("%1 refuses %2 (it takes %3 to %4)")
            .arg(slider->objectName())
            .arg(value)
            .arg(slider->minimum())
            .arg(slider->maximum());
    slider->setValue(value); // fires the change handling only when it differs
    return {};
}

} // namespace

void Form1::followEndRequests(plat::EndRequests &requests)
{
    m_endRequests = &requests;
    connect(&requests, &plat::EndRequests::requested, this, &Form1::endOfSession);
}

void Form1::endOfSession()
{
    // Saving before the file has been applied would write the windows'
    // design values over the user's settings.
    if (m_settingsApplied)
        saveSettings(false);
    m_platform.process->exit(0);
}

void Form1::LoadIni()
{
    const SettingsFileRead file = readSettingsFile(settingsLocation(*m_platform.process).readPath);
    m_settingsRead = file.content;
    const SettingsReadResult &read = m_settingsRead;
    // Each path is taken the moment it is read, so a line that breaks off
    // later still hands over the paths before the break.
    if (read.holds(&SettingsRecord::makuPath0))
        sign().makuPath[0] = read.record.makuPath0;
    if (read.holds(&SettingsRecord::makuPath1))
        sign().makuPath[1] = read.record.makuPath1;
    if (read.holds(&SettingsRecord::kanbanPath))
        signboard().kanbanPath = read.record.kanbanPath;

    QString problem = read.problem;
    if (read.complete())
        problem = applySettings(read.record);
    if (!problem.isEmpty()) {
        if (!file.missing)
            reportProblem(*m_platform.process, QStringLiteral("the settings file is not used as it is (%1); the "
                                         "defaults take its place")
                              .arg(problem));
        applyDefaultSettings();
    }
    // A request to end that came while the file was being applied is
    // answered without saving, like one that came before.
    m_settingsApplied = !(m_endRequests && m_endRequests->arrived());
}

QString Form1::applySettings(const SettingsRecord &r)
{
    frmSet &set = panel();

    // A place on no screen now connected would leave the window out of
    // reach; such a window goes where a first start puts it.
    const QPoint formPlace = pixelsOf(r.form1Left, r.form1Top);
    move(onSomeScreen(formPlace, frameGeometry().size()) ? formPlace : primaryTopLeft());
    const QPoint panelPlace = pixelsOf(r.frmSetLeft, r.frmSetTop);
    if (onSomeScreen(panelPlace, set.frameGeometry().size()))
        set.move(panelPlace);
    else
        placePanelBelowWindow();

    PicKanban->setVisible(r.viewKanban);
    MnuViewKanban->setChecked(r.viewKanban);
    for (auto *shape : shpK_Waku)
        shape->setVisible(r.viewWaku);
    MnuViewWaku->setChecked(r.viewWaku);
    PicKanban->setLeft(float(r.kanbanLeft));
    PicKanban->setTop(float(r.kanbanTop));
    // A picture that no longer loads leaves the signboard empty; its path is
    // kept and every other setting still applies.
    signboard().loadPictureFromPath();
    PicKanban_DblClick();

    for (const auto &[slider, value] : {std::pair{set.HScroll1, r.hScroll1},
                                        {set.HScroll2, r.hScroll2},
                                        {set.scllMakuSpeed[0], r.makuSpeed0},
                                        {set.scllMakuSpeed[1], r.makuSpeed1}})
        if (QString refused = setSlider(slider, value); !refused.isEmpty())
            return refused;
    sign().loadStripFromPath(0);
    sign().loadStripFromPath(1);
    if (r.option < 0 || r.option >= qint16(set.Option1.size()))
        return QStringLiteral("there is no Option1(%1)").arg(r.option);
    set.Option1[r.option]->setChecked(true);
    return {};
}

// Everything the file lists, back to its fixed values. The signboard's marks
// and the stored picture paths stay as they are.
void Form1::applyDefaultSettings()
{
    setWindowPlace(0, 0);
    placePanelBelowWindow();
    MnuKanbanReset_Click();
    frmSet &set = panel();
    set.HScroll1->setValue(1000);
    set.HScroll2->setValue(6000);
    set.scllMakuSpeed[0]->setValue(1);
    set.scllMakuSpeed[1]->setValue(1);
    set.Option1[0]->setChecked(true);
}

SettingsRecord Form1::gatherSettings()
{
    const SettingsReadResult &read = m_settingsRead;
    const SettingsRecord &was = read.record;
    // A place read from the file is written back as it was read while the
    // window still stands where it put it: the file may hold more than whole
    // pixels. Where the window system keeps window places to itself
    // (Wayland), the windows report places they never had, so the places
    // read stay whatever the windows say.
    const bool reportsPlaces = m_platform.windowSystem->canPlaceWindows();
    const auto place = [&](QPoint now, qint32 SettingsRecord::*left, qint32 SettingsRecord::*top) {
        const bool stored = read.holds(top) && (!reportsPlaces || now == pixelsOf(was.*left, was.*top));
        return stored ? std::pair(was.*left, was.*top)
                      : std::pair(now.x() * controls::kTwipsPerPixel, now.y() * controls::kTwipsPerPixel);
    };
    // The signboard keeps its place as a float, which above 2^24 cannot hold
    // every whole number the file can.
    const auto boardPlace = [&](float now, qint32 SettingsRecord::*field) {
        return read.holds(field) && now == float(was.*field) ? was.*field : wholeTwips(now);
    };

    frmSet &set = panel();
    SettingsRecord r;
    std::tie(r.form1Left, r.form1Top) =
        place(pos(), &SettingsRecord::form1Left, &SettingsRecord::form1Top);
    std::tie(r.frmSetLeft, r.frmSetTop) =
        place(set.pos(), &SettingsRecord::frmSetLeft, &SettingsRecord::frmSetTop);
    r.makuPath0 = sign().makuPath[0];
    r.makuPath1 = sign().makuPath[1];
    r.makuSpeed0 = set.scllMakuSpeed[0]->value();
    r.makuSpeed1 = set.scllMakuSpeed[1]->value();
    r.kanbanPath = signboard().kanbanPath;
    r.kanbanLeft = boardPlace(PicKanban->twipsLeft(), &SettingsRecord::kanbanLeft);
    r.kanbanTop = boardPlace(PicKanban->twipsTop(), &SettingsRecord::kanbanTop);
    r.viewKanban = MnuViewKanban->isChecked();
    r.viewWaku = MnuViewWaku->isChecked();
    r.hScroll1 = set.HScroll1->value();
    r.hScroll2 = set.HScroll2->value();
    r.option = qint16(set.selectedOption());
    return r;
}

void Form1::SaveIni() { saveSettings(true); }

void Form1::saveSettings(bool tellUser)
{
    const QString path = settingsLocation(*m_platform.process).writePath;
    const SettingsFileWrite written = writeSettingsFile(path, gatherSettings());
    for (const QString &leftOut : written.leftOut)
        reportProblem(*m_platform.process, QStringLiteral("settings file %1: %2").arg(path, leftOut));
    if (!written.saved)
        reportProblem(*m_platform.process, QStringLiteral("settings file %1 not saved: %2").arg(path, written.error));
    // At the end of a session nobody is there to answer a box, and one would
    // hold up the log-out.
    if (!tellUser)
        return;
    if (!written.saved)
        m_platform.alerts->show(this, plat::AlertIcon::Warning, QStringLiteral("トトラ"),
                                QStringLiteral("設定を保存できませんでした。\n%1")
                                    .arg(QDir::toNativeSeparators(path)));
    else if (!written.leftOut.isEmpty())
        // A picture path the line cannot hold is saved empty; say so, or the
        // picture is simply missing at the next start.
        m_platform.alerts->show(this, plat::AlertIcon::Information, QStringLiteral("トトラ"),
                                QStringLiteral("保存できない画像の場所がありました。次の起動では、"
                                               "その画像は表示されません。"));
}
