#pragma once
// The destination roll signs: choosing and loading each sign's picture strip
// and rolling it from the keyboard.

#include <QObject>
#include <QString>

#include <array>

class SignHost;
namespace controls {
class ImageControl;
class PictureBox;
} // namespace controls

class DestinationSign : public QObject {
    Q_OBJECT
public:
    // Wires the sign windows and the strips inside them.
    DestinationSign(const std::array<controls::PictureBox *, 2> &windows,
                    const std::array<controls::ImageControl *, 2> &strips, SignHost &host);

    // The picture file of each sign window; empty until chosen.
    std::array<QString, 2> makuPath;
    // Each strip's top edge in its window, in pixels.
    std::array<qint32, 2> makuTop{0, 0};

    void Load方向幕(int Index);
    void picWaku1_DblClick(int Index);
    void imgMaku1_DblClick(int Index);
    void picWaku1_Click(int Index);
    void imgMaku1_Click(int Index);
    // KeyCode is a Qt::Key; only Up and Down roll the strip.
    void picWaku1_KeyDown(int Index, int KeyCode, Qt::KeyboardModifiers Shift);

    // Loads makuPath[Index] into the strip without moving it (settings load).
    // Returns the failure's description, or an empty string on success.
    QString loadStripFromPath(int Index);

private:
    void wire(int index);
    // Puts the strip's top edge where makuTop says.
    void placeStrip(int index);

    std::array<controls::PictureBox *, 2> m_windows;
    std::array<controls::ImageControl *, 2> m_strips;
    SignHost &m_host;
};

// The roll position after one step, held at the limits of qint32 instead of
// wrapping round.
qint32 rolledTop(qint32 top, int step);
