#pragma once
// The settings file's one line: 16 fields in a fixed order, no names, in the
// classic sequential-file text format. This layer only formats, parses and
// converts types; which values a control accepts is decided where the values
// are applied, because values applied before a refusal stay applied.
//
// Field order: 1 Form1 left, 2 Form1 top, 3 frmSet left, 4 frmSet top,
// 5 makuPath(0), 6 makuPath(1), 7 scllMakuSpeed(0), 8 scllMakuSpeed(1),
// 9 kanbanPath, 10 PicKanban left, 11 PicKanban top, 12 MnuViewKanban,
// 13 MnuViewWaku, 14 HScroll1, 15 HScroll2, 16 Option1 index.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QtGlobal>

inline constexpr int kSettingsFieldCount = 16;

// Larger inputs are refused outright; the line written is a few hundred bytes.
inline constexpr qsizetype kMaxSettingsFileSize = 64 * 1024;

// The values as read ("read as" types). Positions are whole twips.
struct SettingsRecord {
    qint32 form1Left = 0;
    qint32 form1Top = 0;
    qint32 frmSetLeft = 0;
    qint32 frmSetTop = 0;
    QString makuPath0;
    QString makuPath1;
    qint32 makuSpeed0 = 0;
    qint32 makuSpeed1 = 0;
    QString kanbanPath;
    qint32 kanbanLeft = 0;
    qint32 kanbanTop = 0;
    bool viewKanban = false;
    bool viewWaku = false;
    qint32 hScroll1 = 0;
    qint32 hScroll2 = 0;
    qint16 option = 0;

    friend bool operator==(const SettingsRecord &, const SettingsRecord &) = default;
};

struct SettingsReadResult {
    // Fields 1..fieldsRead hold what the file says; the rest keep their
    // zero/empty initial values.
    SettingsRecord record;
    // Fields read and converted before the first failure (0..16).
    int fieldsRead = 0;
    // Why reading stopped; empty when all 16 fields were read.
    QString error;

    bool complete() const { return fieldsRead == kSettingsFieldCount; }
};

// Parses the file's bytes (the local text encoding: the ANSI code page on
// Windows, UTF-8 elsewhere). Reading rules:
// - a field ends at a comma, a CR (with an LF right after it), a lone LF
//   (files edited on other systems) or the end of the file; line ends
//   separate fields just as commas do;
// - blanks (space, tab) before a field are skipped; an unquoted field loses
//   its trailing blanks;
// - a quoted field runs to its closing quote, commas and line ends inside
//   being text; after it only blanks and one delimiter may follow;
// - number fields take an optional sign, digits, an optional fraction and an
//   optional exponent ("1200", "+5", "-1.5", "1.2e3"); a fraction is rounded
//   half to even; a value that does not fit the field's 32-bit (field 16:
//   16-bit) integer fails; an empty field and a quoted field fail;
// - truth fields take #TRUE# and #FALSE# (any letter case) or, as the classic
//   reader does, a number: nonzero is true;
// - string fields take a quoted or an unquoted text;
// - text after the 16th field is ignored.
SettingsReadResult readSettingsRecord(QByteArrayView fileBytes);

// The values as the windows and controls hold them, with the types the line
// is written from.
struct SettingsValues {
    float form1Left = 0;
    float form1Top = 0;
    float frmSetLeft = 0;
    float frmSetTop = 0;
    QString makuPath0;
    QString makuPath1;
    qint16 makuSpeed0 = 0;
    qint16 makuSpeed1 = 0;
    QString kanbanPath;
    float kanbanLeft = 0;
    float kanbanTop = 0;
    bool viewKanban = false;
    bool viewWaku = false;
    qint16 hScroll1 = 0;
    qint16 hScroll2 = 0;
    qint16 option = 0;
};

struct SettingsWriteResult {
    // One line ended by CR LF, in the local text encoding; always readable.
    QByteArray bytes;
    // Empty, or says which values could not be stored as they are (see below).
    QString warning;
};

// Formats the line: numbers as plain decimal text (whole numbers as plain
// digits, a fraction as the shortest decimal that reads back as the same
// float, never an exponent), strings in double quotes, #TRUE#/#FALSE#.
// The format has no escape for a double quote, and the local encoding may lack
// a path's characters: such a path is written as "" rather than as a line
// that reads back wrong, and the warning names it. A position that is not a
// finite number is written as 0, likewise with a warning.
SettingsWriteResult writeSettingsRecord(const SettingsValues &values);
