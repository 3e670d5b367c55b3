#include "signboard/signboard.h"

#include "app/main_window.h"

Signboard::Signboard(Form1 &form) : m_form(form) {}

void Signboard::PicKanban_DblClick() {}
void Signboard::PicKanban_Resize() {}
void Signboard::MnuSetKanban_Click() {}
void Signboard::MnuKanbanReset_Click() {}
void Signboard::MnuViewKanban_Click() {}
void Signboard::MnuViewWaku_Click() {}
void Signboard::PicKanban_MouseDown(Qt::MouseButton, QPointF) {}
QString Signboard::loadPictureFromPath() { return {}; }
