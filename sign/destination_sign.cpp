#include "sign/destination_sign.h"

#include "app/main_window.h"

DestinationSign::DestinationSign(Form1 &form) : m_form(form) {}

void DestinationSign::Load方向幕(int) {}
void DestinationSign::picWaku1_DblClick(int Index) { Load方向幕(Index); }
void DestinationSign::imgMaku1_DblClick(int Index) { picWaku1_DblClick(Index); }
void DestinationSign::picWaku1_Click(int) {}
void DestinationSign::imgMaku1_Click(int) {}
void DestinationSign::picWaku1_KeyDown(int, int, Qt::KeyboardModifiers) {}
QString DestinationSign::loadStripFromPath(int) { return {}; }
