#include "app/settings_file.h"

#include "app/main_window.h"
#include "panel/control_panel.h"
#include "settings/settings_location.h"
#include "settings/settings_record.h"
#include "sign/destination_sign.h"
#include "signboard/signboard.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QRadioButton>
#include <QSaveFile>
#include <QScreen>
#include <QScrollBar>

#include <optional>

namespace {

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

bool setSlider(QScrollBar *slider, qint32 value)
{
    if (value < slider->minimum() || value > slider->maximum())
        return false;
    slider->setValue(value); // fires the change handling only when it differs
    return true;
}

// Everything the file lists, back to its fixed values. The signboard's marks
// and the stored picture paths stay as they are.
void applyDefaults(Form1 &form)
{
    form.setWindowPlace(0, 0);
    form.placePanelBelowWindow();
    form.MnuKanbanReset_Click();
    frmSet &set = form.panel();
    set.HScroll1->setValue(1000);
    set.HScroll2->setValue(6000);
    set.scllMakuSpeed[0]->setValue(1);
    set.scllMakuSpeed[1]->setValue(1);
    set.Option1[0]->setChecked(true);
}

// Applies a complete record in the windows' order. Returns false at the first
// value that its control does not accept; what was applied before stays.
bool applyRecord(Form1 &form, const SettingsRecord &r)
{
    frmSet &set = form.panel();

    // A place on no screen now connected would leave the window out of
    // reach; such a window goes where a first start puts it.
    const QPoint formPlace = pixelsOf(r.form1Left, r.form1Top);
    if (onSomeScreen(formPlace, form.frameGeometry().size()))
        form.move(formPlace);
    else
        form.move(primaryTopLeft());
    const QPoint panelPlace = pixelsOf(r.frmSetLeft, r.frmSetTop);
    if (onSomeScreen(panelPlace, set.frameGeometry().size()))
        set.move(panelPlace);
    else
        form.placePanelBelowWindow();

    form.PicKanban->setVisible(r.viewKanban);
    form.MnuViewKanban->setChecked(r.viewKanban);
    for (auto *shape : form.shpK_Waku)
        shape->setVisible(r.viewWaku);
    form.MnuViewWaku->setChecked(r.viewWaku);
    form.PicKanban->setLeft(float(r.kanbanLeft));
    form.PicKanban->setTop(float(r.kanbanTop));
    // A picture that no longer loads leaves the signboard empty; its path is
    // kept and every other setting still applies.
    form.signboard().loadPictureFromPath();
    form.PicKanban_DblClick();

    if (!setSlider(set.HScroll1, r.hScroll1) || !setSlider(set.HScroll2, r.hScroll2))
        return false;
    if (!setSlider(set.scllMakuSpeed[0], r.makuSpeed0) ||
        !setSlider(set.scllMakuSpeed[1], r.makuSpeed1))
        return false;
    form.sign().loadStripFromPath(0);
    form.sign().loadStripFromPath(1);
    if (r.option < 0 || r.option > 2)
        return false;
    set.Option1[r.option]->setChecked(true);
    return true;
}

// The paths are taken the moment they are read, so a line that breaks off
// later still hands over the paths before the break.
void keepPathsRead(Form1 &form, const SettingsReadResult &read)
{
    if (read.fieldsRead >= 5)
        form.sign().makuPath[0] = read.record.makuPath0;
    if (read.fieldsRead >= 6)
        form.sign().makuPath[1] = read.record.makuPath1;
    if (read.fieldsRead >= 9)
        form.signboard().kanbanPath = read.record.kanbanPath;
}

// The record in a settings file; nothing when the file cannot be opened.
std::optional<SettingsReadResult> readSettingsFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // One byte past the limit, so the reader can tell an oversized file.
    return readSettingsRecord(file.read(kMaxSettingsFileSize + 1));
}

// Where the window system keeps window places to itself (Wayland), the
// windows report places they never had; the places stored last stay, each
// pair as far as the file still holds it.
void keepStoredPlaces(SettingsValues &v, const QString &path)
{
    const std::optional<SettingsReadResult> read = readSettingsFile(path);
    if (!read)
        return;
    const SettingsReadResult &stored = *read;
    if (stored.fieldsRead >= 2) {
        v.form1Left = float(stored.record.form1Left);
        v.form1Top = float(stored.record.form1Top);
    }
    if (stored.fieldsRead >= 4) {
        v.frmSetLeft = float(stored.record.frmSetLeft);
        v.frmSetTop = float(stored.record.frmSetTop);
    }
}

} // namespace

void loadSettingsInto(Form1 &form)
{
    const SettingsLocation where = SettingsLocation::of(*form.platform().process);
    const std::optional<SettingsReadResult> read = readSettingsFile(where.readPath());
    if (!read) {
        applyDefaults(form);
        return;
    }
    keepPathsRead(form, *read);
    if (!read->complete() || !applyRecord(form, read->record))
        applyDefaults(form);
}

void saveSettingsFrom(Form1 &form)
{
    frmSet &set = form.panel();
    SettingsValues v;
    v.form1Left = form.windowLeft();
    v.form1Top = form.windowTop();
    v.frmSetLeft = float(set.x() * controls::kTwipsPerPixel);
    v.frmSetTop = float(set.y() * controls::kTwipsPerPixel);
    v.makuPath0 = form.sign().makuPath[0];
    v.makuPath1 = form.sign().makuPath[1];
    v.makuSpeed0 = qint16(set.scllMakuSpeed[0]->value());
    v.makuSpeed1 = qint16(set.scllMakuSpeed[1]->value());
    v.kanbanPath = form.signboard().kanbanPath;
    v.kanbanLeft = form.PicKanban->twipsLeft();
    v.kanbanTop = form.PicKanban->twipsTop();
    v.viewKanban = form.MnuViewKanban->isChecked();
    v.viewWaku = form.MnuViewWaku->isChecked();
    v.hScroll1 = qint16(set.HScroll1->value());
    v.hScroll2 = qint16(set.HScroll2->value());
    v.option = qint16(set.selectedOption());

    const SettingsLocation where = SettingsLocation::of(*form.platform().process);
    if (!form.platform().windowSystem->canPlaceWindows())
        keepStoredPlaces(v, where.readPath());

    const QString path = where.writePath();
    if (path != where.besideProgram)
        QDir().mkpath(QFileInfo(path).absolutePath());
    // Written aside and swapped in whole: a failure or a crash half-way
    // leaves the previous file as it was.
    QSaveFile file(path);
    const SettingsWriteResult record = writeSettingsRecord(v);
    const QByteArray &line = record.bytes;
    // QSaveFile buffers the line and its commit() does not notice a flush
    // that stops short (a full disk), so flush first and commit only then.
    const bool saved = file.open(QIODevice::WriteOnly) && file.write(line) == line.size() &&
                       file.flush() && file.commit();
    if (!saved)
        form.platform().alerts->show(
            &form, plat::AlertIcon::Warning, QStringLiteral("トトラ"),
            QStringLiteral("設定ファイル %1 に保存できませんでした。\n%2")
                .arg(QDir::toNativeSeparators(path), file.errorString()));
    else if (!record.warning.isEmpty())
        // A picture path the line cannot hold is saved empty; say so, or the
        // picture is simply missing at the next start.
        form.platform().alerts->show(
            &form, plat::AlertIcon::Information, QStringLiteral("トトラ"),
            QStringLiteral("設定ファイル %1 に保存できなかった設定があります。\n%2")
                .arg(QDir::toNativeSeparators(path), record.warning));
}
