#pragma once
// The signboard: the user's picture on a three-piece stand, its frame fit,
// its menu commands and dragging.

#include <QObject>
#include <QPointF>
#include <QString>

class Form1;

class Signboard : public QObject {
    Q_OBJECT
public:
    explicit Signboard(Form1 &form);

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

private:
    Form1 &m_form;
};
