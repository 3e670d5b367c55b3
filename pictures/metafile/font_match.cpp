#include "pictures/metafile/font_match.h"

#include <QHash>
#include <QStringDecoder>

namespace pictures::metafile {

namespace {

constexpr int kSymbolCharset = 2, kShiftJis = 128, kHangul = 129, kGb2312 = 134, kBig5 = 136;

// The characters of the Symbol font's codes 0x20 to 0xFF; zero where the code
// is the same character as in Latin-1 or has none.
constexpr char16_t kSymbolChars[224] = {
    0, 0, 0x2200, 0, 0x2203, 0, 0, 0x220B, 0, 0, 0x2217, 0, 0, 0x2212, 0, 0, // 0x20
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,                           // 0x30
    0x2245, 0x0391, 0x0392, 0x03A7, 0x0394, 0x0395, 0x03A6, 0x0393,           // 0x40
    0x0397, 0x0399, 0x03D1, 0x039A, 0x039B, 0x039C, 0x039D, 0x039F,
    0x03A0, 0x0398, 0x03A1, 0x03A3, 0x03A4, 0x03A5, 0x03C2, 0x03A9,           // 0x50
    0x039E, 0x03A8, 0x0396, 0, 0x2234, 0, 0x22A5, 0,
    0x203E, 0x03B1, 0x03B2, 0x03C7, 0x03B4, 0x03B5, 0x03C6, 0x03B3,           // 0x60
    0x03B7, 0x03B9, 0x03D5, 0x03BA, 0x03BB, 0x03BC, 0x03BD, 0x03BF,
    0x03C0, 0x03B8, 0x03C1, 0x03C3, 0x03C4, 0x03C5, 0x03D6, 0x03C9,           // 0x70
    0x03BE, 0x03C8, 0x03B6, 0, 0, 0, 0x223C, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,                           // 0x80
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,                           // 0x90
    0x20AC, 0x03D2, 0x2032, 0x2264, 0x2044, 0x221E, 0x0192, 0x2663,           // 0xA0
    0x2666, 0x2665, 0x2660, 0x2194, 0x2190, 0x2191, 0x2192, 0x2193,
    0x00B0, 0x00B1, 0x2033, 0x2265, 0x00D7, 0x221D, 0x2202, 0x2022,           // 0xB0
    0x00F7, 0x2260, 0x2261, 0x2248, 0x2026, 0x23D0, 0x23AF, 0x21B5,
    0x2135, 0x2111, 0x211C, 0x2118, 0x2297, 0x2295, 0x2205, 0x2229,           // 0xC0
    0x222A, 0x2283, 0x2287, 0x2284, 0x2282, 0x2286, 0x2208, 0x2209,
    0x2220, 0x2207, 0x00AE, 0x00A9, 0x2122, 0x220F, 0x221A, 0x22C5,           // 0xD0
    0x00AC, 0x2227, 0x2228, 0x21D4, 0x21D0, 0x21D1, 0x21D2, 0x21D3,
    0x25CA, 0x2329, 0x00AE, 0x00A9, 0x2122, 0x2211, 0x239B, 0x239C,           // 0xE0
    0x239D, 0x23A1, 0x23A2, 0x23A3, 0x23A7, 0x23A8, 0x23A9, 0x23AA,
    0, 0x232A, 0x222B, 0x2320, 0x23AE, 0x2321, 0x239E, 0x239F,                // 0xF0
    0x23A0, 0x23A4, 0x23A5, 0x23A6, 0x23AB, 0x23AC, 0x23AD, 0,
};

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
        {QStringLiteral("georgia"), &serif},        {QStringLiteral("symbol"), &serif},        {QStringLiteral("courier new"), &mono},
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

bool symbolEncoded(const Font &font)
{
    if (font.charset != kSymbolCharset)
        return false;
    // Picture fonts share the charset; their codes are no letters at all.
    const QString face = font.face.trimmed().toLower();
    return !face.startsWith(QLatin1String("wingding")) && !face.startsWith(QLatin1String("webding"))
           && face != QLatin1String("marlett") && !face.contains(QLatin1String("dingbat"));
}

QString fromSymbolCodes(const QString &text)
{
    QString out = text;
    for (QChar &c : out) {
        // Wide strings give the codes as they are or moved to U+F020..U+F0FF.
        const char16_t u = c.unicode();
        const char16_t code = u >= 0xF020 && u <= 0xF0FF ? char16_t(u - 0xF000) : u;
        if (code < 0x20 || code > 0xFF)
            continue;
        const char16_t mapped = kSymbolChars[code - 0x20];
        c = QChar(mapped ? mapped : code);
    }
    return out;
}

} // namespace pictures::metafile
