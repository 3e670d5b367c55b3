#pragma once
// The signboard: the user's picture on a three-piece stand, its frame fit,
// its menu commands and dragging.

#include <QObject>
#include <QPointF>
#include <QString>

#include <array>
#include <memory>

class QAction;
class SignboardDrag;
class SignboardHost;

namespace controls {
class PictureBox;
class ShapeControl;
} // namespace controls
namespace pictures {
struct Picture;
}

// The controls and menu items of the coach window that the signboard owns.
struct SignboardParts {
    controls::PictureBox *PicKanban = nullptr;
    std::array<controls::ShapeControl *, 3> shpK_Waku{};
    QAction *MnuViewKanban = nullptr;
    QAction *MnuViewWaku = nullptr;
    QAction *MnuSetKanban = nullptr;
    QAction *MnuKanbanReset = nullptr;
};

class Signboard : public QObject {
    Q_OBJECT
public:
    Signboard(const SignboardParts &parts, SignboardHost &host);
    ~Signboard() override;

    // The picture file last chosen for the signboard.
    QString kanbanPath;

    void PicKanban_DblClick();
    void PicKanban_Resize();
    void MnuSetKanban_Click();
    void MnuKanbanReset_Click();
    void MnuViewKanban_Click();
    void MnuViewWaku_Click();
    void PicKanban_MouseDown(Qt::MouseButton Button, QPointF pos);

    // Loads kanbanPath into the signboard (settings load). Returns the
    // failure's description, or an empty string on success.
    QString loadPictureFromPath();

    // Shows picture on the signboard at the picture's own extent; an empty
    // picture clears it and keeps the size.
    void setPicture(const pictures::Picture &picture);

    // Whether a left-button drag is under way.
    bool isDragging() const;

private:
    // Places the posts beside the signboard and the bar under it; the full
    // fit also stretches the posts to the signboard's height.
    void fitFrame(bool postHeights);
    // The menu's check items toggle their own mark before they report; the
    // handlers decide from the mark as it was, so that is put back first.
    void runCheckItem(QAction *item, bool markNow, void (Signboard::*handler)());

    SignboardParts m_parts;
    SignboardHost &m_host;
    std::unique_ptr<SignboardDrag> m_drag;
};
