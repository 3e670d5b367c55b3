#pragma once
// The signboard: the user's picture on a three-piece stand, its frame fit,
// its menu commands and dragging.

#include <QObject>
#include <QPointF>
#include <QString>

#include <memory>

class Form1;
class QAction;
class SignboardDrag;

namespace pictures {
struct Picture;
}

class Signboard : public QObject {
    Q_OBJECT
public:
    explicit Signboard(Form1 &form);
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
    // The menu's check items toggle their own mark before they report; the
    // handlers decide from the mark as it was, so that is put back first.
    void runCheckItem(QAction *item, bool markNow, void (Signboard::*handler)());

    Form1 &m_form;
    std::unique_ptr<SignboardDrag> m_drag;
};
