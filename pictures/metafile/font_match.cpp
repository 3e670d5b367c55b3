#include "pictures/metafile/font_match.h"

#include <QHash>
#include <QStringDecoder>

namespace pictures::metafile {

namespace {

constexpr int kSymbolCharset = 2, kShiftJis = 128, kHangul = 129, kGb2312 = 134, kBig5 = 136;

QStringList substitutesFor(const QString &face)
{
    static const QStringList sans = {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                                     QStringLiteral("DejaVu Sans")};
    static const QStringList serif = {QStringLiteral("Liberation Serif"), QStringLiteral("Tinos"),
                                      QStringLiteral("DejaVu Serif")};
    static const QStringList mono = {QStringLiteral("Liberation Mono"), QStringLiteral("Cousine"),
                                     QStringLiteral("DejaVu Sans Mono")};
    static const QStringList pgothic = {QStringLiteral("MS PGothic"), QStringLiteral("IPAPGothic"),
                                        QStringLiteral("Noto Sans CJK JP")};
    static const QStringList gothic = {QStringLiteral("MS Gothic"), QStringLiteral("IPAGothic"),
                                       QStringLiteral("Noto Sans Mono CJK JP")};
    static const QStringList mincho = {QStringLiteral("MS Mincho"), QStringLiteral("IPAMincho"),
                                       QStringLiteral("Noto Serif CJK JP"),
                                       QStringLiteral("IPAGothic")};
    static const QHash<QString, const QStringList *> table = {
        {QStringLiteral("arial"), &sans},           {QStringLiteral("helvetica"), &sans},
        {QStringLiteral("ms sans serif"), &sans},   {QStringLiteral("ms shell dlg"), &sans},
        {QStringLiteral("ms shell dlg 2"), &sans},  {QStringLiteral("tahoma"), &sans},
        {QStringLiteral("verdana"), &sans},         {QStringLiteral("segoe ui"), &sans},
        {QStringLiteral("system"), &sans},          {QStringLiteral("times new roman"), &serif},
        {QStringLiteral("times"), &serif},          {QStringLiteral("ms serif"), &serif},
        {QStringLiteral("georgia"), &serif},        {QStringLiteral("courier new"), &mono},
        {QStringLiteral("courier"), &mono},         {QStringLiteral("consolas"), &mono},
        {QStringLiteral("fixedsys"), &mono},        {QStringLiteral("lucida console"), &mono},
        {QStringLiteral("ms pgothic"), &pgothic},   {QStringLiteral("ｍｓ ｐゴシック"), &pgothic},
        {QStringLiteral("ms ui gothic"), &pgothic}, {QStringLiteral("meiryo"), &pgothic},
        {QStringLiteral("メイリオ"), &pgothic},     {QStringLiteral("ms gothic"), &gothic},
        {QStringLiteral("ｍｓ ゴシック"), &gothic}, {QStringLiteral("ms mincho"), &mincho},
        {QStringLiteral("ms pmincho"), &mincho},    {QStringLiteral("ｍｓ 明朝"), &mincho},
        {QStringLiteral("ｍｓ ｐ明朝"), &mincho},
    };
    const QStringList *found = table.value(face.trimmed().toLower(), nullptr);
    return found ? *found : QStringList();
}

} // namespace

QFont matchFont(const Font &f)
{
    QStringList families;
    const QString face = f.face.trimmed();
    if (!face.isEmpty())
        families << face << substitutesFor(face);
    switch (f.charset) {
    case kShiftJis:
        families << QStringLiteral("IPAPGothic") << QStringLiteral("Noto Sans CJK JP");
        break;
    case kHangul: families << QStringLiteral("Noto Sans CJK KR"); break;
    case kGb2312: families << QStringLiteral("Noto Sans CJK SC"); break;
    case kBig5: families << QStringLiteral("Noto Sans CJK TC"); break;
    default: break;
    }
    QFont font;
    switch (f.pitchAndFamily & 0xF0) {
    case 0x10: // roman
        families << QStringLiteral("DejaVu Serif");
        font.setStyleHint(QFont::Serif);
        break;
    case 0x30: // modern: fixed pitch
        families << QStringLiteral("DejaVu Sans Mono");
        font.setStyleHint(QFont::TypeWriter);
        break;
    default:
        families << QStringLiteral("DejaVu Sans");
        font.setStyleHint(QFont::SansSerif);
        break;
    }
    families.removeDuplicates();
    font.setFamilies(families);
    font.setWeight(QFont::Weight(qBound(1, f.weight > 0 ? f.weight : 400, 1000)));
    font.setItalic(f.italic);
    font.setUnderline(f.underline);
    font.setStrikeOut(f.strikeOut);
    return font;
}

QString decodeNarrow(QByteArrayView bytes, int charset)
{
    const char *name = nullptr;
    switch (charset) {
    case kShiftJis: name = "Shift_JIS"; break;
    case kHangul: name = "windows-949"; break;
    case kGb2312: name = "GBK"; break;
    case kBig5: name = "Big5"; break;
    case 161: name = "windows-1253"; break;
    case 162: name = "windows-1254"; break;
    case 177: name = "windows-1255"; break;
    case 178: name = "windows-1256"; break;
    case 186: name = "windows-1257"; break;
    case 204: name = "windows-1251"; break;
    case 238: name = "windows-1250"; break;
    case kSymbolCharset: return QString::fromLatin1(bytes);
    default: name = "windows-1252"; break;
    }
    QStringDecoder decoder(name);
    if (!decoder.isValid())
        return QString::fromLatin1(bytes);
    QString text = decoder.decode(bytes);
    return decoder.hasError() ? QString::fromLatin1(bytes) : text;
}

} // namespace pictures::metafile
