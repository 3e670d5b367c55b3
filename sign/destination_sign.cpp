#include "sign/destination_sign.h"

#include "controls/controls.h"
#include "pictures/picture.h"
#include "sign/sign_host.h"

#include <QDebug>
#include <QDir>

#include <algorithm>
#include <limits>

namespace {

bool isSignIndex(int index) { return index == 0 || index == 1; }

QString loadFailureText(const QString &path, const QString &description)
{
    // The loader's descriptions name no file; the user needs to know which.
    return QStringLiteral("%1\n\n%2").arg(QDir::toNativeSeparators(path), description);
}

} // namespace

qint32 rolledTop(qint32 top, int step)
{
    const qint64 next = qint64(top) + step;
    return qint32(std::clamp<qint64>(next, std::numeric_limits<qint32>::min(),
                                     std::numeric_limits<qint32>::max()));
}

DestinationSign::DestinationSign(const std::array<controls::PictureBox *, 2> &windows,
                                 const std::array<controls::ImageControl *, 2> &strips,
                                 SignHost &host)
    : m_windows(windows), m_strips(strips), m_host(host)
{
    wire(0);
    wire(1);
}

void DestinationSign::wire(int index)
{
    controls::PictureBox *window = m_windows[index];
    controls::ImageControl *strip = m_strips[index];
    connect(window, &controls::PictureBox::clicked, this, [this, index] { picWaku1_Click(index); });
    connect(window, &controls::PictureBox::doubleClicked, this,
            [this, index] { picWaku1_DblClick(index); });
    connect(window, &controls::PictureBox::keyPressed, this,
            [this, index](int key, Qt::KeyboardModifiers modifiers) {
                picWaku1_KeyDown(index, key, modifiers);
            });
    connect(strip, &controls::ImageControl::clicked, this, [this, index] { imgMaku1_Click(index); });
    connect(strip, &controls::ImageControl::doubleClicked, this,
            [this, index] { imgMaku1_DblClick(index); });
}

void DestinationSign::Load方向幕(int Index)
{
    if (!isSignIndex(Index))
        return;
    const std::optional<QString> chosen = m_host.choosePictureFile();
    // An empty answer would load "no picture" and blank the sign; treat it as
    // the cancel it most likely is.
    if (!chosen || chosen->isEmpty())
        return;

    const pictures::PictureResult loaded = pictures::loadPicture(*chosen);
    if (!loaded.ok()) {
        // The path is taken only with its picture: keeping a rejected path
        // would save it and fail again at every start.
        if (!loaded.detail.isEmpty())
            qWarning().noquote() << QDir::toNativeSeparators(*chosen) + QStringLiteral(": ") +
                                        loaded.detail;
        m_host.showPictureError(loadFailureText(*chosen, loaded.error));
        return;
    }
    makuPath[Index] = *chosen;
    m_strips[Index]->setPicture(loaded.picture);
    makuTop[Index] = 0;
    placeStrip(Index);
}

void DestinationSign::picWaku1_DblClick(int Index) { Load方向幕(Index); }

void DestinationSign::imgMaku1_DblClick(int Index) { picWaku1_DblClick(Index); }

void DestinationSign::picWaku1_Click(int Index)
{
    if (isSignIndex(Index))
        m_windows[Index]->setFocus(Qt::MouseFocusReason);
}

// The strip cannot hold the focus itself; its window takes it.
void DestinationSign::imgMaku1_Click(int Index) { picWaku1_Click(Index); }

void DestinationSign::picWaku1_KeyDown(int Index, int KeyCode, Qt::KeyboardModifiers Shift)
{
    Q_UNUSED(Shift); // Shift and Ctrl roll the same as a bare arrow key
    if (!isSignIndex(Index) || (KeyCode != Qt::Key_Up && KeyCode != Qt::Key_Down))
        return;
    // Read afresh every time, so a slider change applies at the next key.
    const int step = m_host.signStep(Index);
    makuTop[Index] = rolledTop(makuTop[Index], KeyCode == Qt::Key_Up ? step : -step);
    placeStrip(Index);
}

QString DestinationSign::loadStripFromPath(int Index)
{
    if (!isSignIndex(Index))
        return QStringLiteral("there is no sign window %1").arg(Index);
    const pictures::PictureResult loaded = pictures::loadPicture(makuPath[Index]);
    if (!loaded.ok())
        return loaded.error;
    m_strips[Index]->setPicture(loaded.picture);
    return {};
}

void DestinationSign::placeStrip(int index)
{
    // The sign window's inner scale is pixels, but controls keep their
    // places in twips.
    m_strips[index]->setTop(float(qint64(makuTop[index]) * controls::kTwipsPerPixel));
}
