#pragma once
// The settings file's one line: 16 fields in a fixed order and no names, in
// the classic sequential-file text format. This layer formats, parses and
// converts types; which values a control accepts is decided where the values
// are applied, because values applied before a refusal stay applied.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QtGlobal>

inline constexpr int kSettingsFieldCount = 16;

// A path longer than this in the file's encoding is neither read nor written:
// the longest path Windows allows, in its code page, fits.
inline constexpr qsizetype kMaxSettingsPathBytes = 64 * 1024;
// The reader looks no further into a file than this. The longest line the
// writer makes (three of the longest paths) fits with room to spare.
inline constexpr qsizetype kSettingsReadLimit = 256 * 1024;

// The sixteen values in the order of the line. Positions are whole twips.
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
    // The fields read before the first failure hold what the file says; the
    // rest keep their zero or empty values.
    SettingsRecord record;
    int fieldsRead = 0;
    // Why reading stopped, for the error output; empty when all 16 were read.
    QString problem;

    bool complete() const { return fieldsRead == kSettingsFieldCount; }
    // Whether the field that fills this member was read.
    bool holds(qint32 SettingsRecord::*member) const;
    bool holds(QString SettingsRecord::*member) const;
};

// Parses the file's bytes (the local text encoding: the ANSI code page on
// Windows, UTF-8 elsewhere), as the classic reader does:
// - the file ends at its first Ctrl-Z (26), or after kSettingsReadLimit bytes;
// - a field ends at a comma, a CR (with an LF right after it), a lone LF or
//   the end of the file: line ends separate fields just as commas do;
// - blanks (space, tab) before a field are skipped; an unquoted field loses
//   its trailing blanks;
// - a quoted field runs to its closing quote, commas and line ends inside
//   being text; after it only blanks and one delimiter may follow;
// - number fields take an optional sign, digits, an optional fraction and an
//   optional exponent ("1200", "+5", "-1.5", "1.2e3"); a fraction is rounded
//   half to even; a value that does not fit the field's 32-bit (field 16:
//   16-bit) integer fails; an empty field and a quoted field fail;
// - truth fields take #TRUE# and #FALSE# (any letter case) or a number, which
//   is true when it is not zero;
// - text fields take a quoted or an unquoted text;
// - whatever follows the 16th field is ignored.
SettingsReadResult readSettingsRecord(QByteArrayView fileBytes);

struct SettingsLine {
    // One line ended by CR LF, in the local text encoding; always readable.
    QByteArray bytes;
    // For the error output: each path written empty instead, and why.
    QStringList leftOut;
};

// Formats the line: numbers as plain decimal digits, texts in double quotes,
// #TRUE#/#FALSE#. A path the line cannot carry (a double quote, which has no
// escape; a Ctrl-Z, which would end the file; characters the local encoding
// lacks; more than kMaxSettingsPathBytes) is written as "" rather than as a
// line that reads back wrong.
SettingsLine writeSettingsRecord(const SettingsRecord &record);
