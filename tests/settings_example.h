#pragma once
// A whole settings file, written by hand: the line the settings tests start
// from, changing a field or two and expecting it back.

#include <QByteArray>

inline const QByteArray kExample =
    R"(1200,900,1200,5100,"C:\maku\side.bmp","",19,1,"C:\maku\board.bmp",10620,1800,#TRUE#,#FALSE#,1000,6000,0)"
    "\r\n";
