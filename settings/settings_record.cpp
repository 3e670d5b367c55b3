#include "settings/settings_record.h"

#include "platform/text_codec.h"

#include <QStringList>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

namespace {

const std::array<const char *, kSettingsFieldCount> kFieldNames = {
    "Form1 left", "Form1 top", "frmSet left", "frmSet top",
    "makuPath(0)", "makuPath(1)", "scllMakuSpeed(0)", "scllMakuSpeed(1)",
    "kanbanPath", "PicKanban left", "PicKanban top", "MnuViewKanban",
    "MnuViewWaku", "HScroll1", "HScroll2", "Option1 index",
};

QString fieldLabel(int index)
{
    return QStringLiteral("field %1 (%2)").arg(index + 1).arg(QLatin1StringView(kFieldNames[index]));
}

// The offending text, shortened so that a huge field cannot make a huge message.
QString quoteForMessage(QByteArrayView text)
{
    constexpr qsizetype kShown = 40;
    const QByteArrayView shown = text.first(std::min(text.size(), kShown));
    QString result = plat::decodeLocalText(shown).value_or(QString::fromLatin1(shown));
    if (shown.size() < text.size())
        result += QStringLiteral("...");
    return u'"' + result + u'"';
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

struct RawField {
    QByteArrayView text;
    bool quoted = false;
};

// Splits the input into fields, one at a time, in a single forward pass.
class FieldScanner {
public:
    explicit FieldScanner(QByteArrayView bytes) : m_bytes(bytes) {}

    // Empty with an empty error when the input ended before the field began.
    std::optional<RawField> next(QString *error)
    {
        skipBlanks();
        if (atEnd())
            return std::nullopt;
        if (m_bytes[m_pos] == '"')
            return nextQuoted(error);
        return nextUnquoted();
    }

private:
    bool atEnd() const { return m_pos >= m_bytes.size(); }

    void skipBlanks()
    {
        while (!atEnd() && isBlank(m_bytes[m_pos]))
            ++m_pos;
    }

    // Consumes a comma, a CR with its LF, or a lone LF; false if none is here.
    bool skipDelimiter()
    {
        if (atEnd())
            return true;
        const char c = m_bytes[m_pos];
        if (c == ',' || c == '\n') {
            ++m_pos;
            return true;
        }
        if (c == '\r') {
            ++m_pos;
            if (!atEnd() && m_bytes[m_pos] == '\n')
                ++m_pos;
            return true;
        }
        return false;
    }

    std::optional<RawField> nextQuoted(QString *error)
    {
        const qsizetype start = m_pos + 1;
        const qsizetype close = m_bytes.indexOf('"', start);
        if (close < 0) {
            *error = QStringLiteral("the closing quote is missing");
            return std::nullopt;
        }
        m_pos = close + 1;
        skipBlanks();
        if (!skipDelimiter()) {
            *error = QStringLiteral("unexpected text %1 after the closing quote")
                         .arg(quoteForMessage(m_bytes.sliced(m_pos)));
            return std::nullopt;
        }
        return RawField{m_bytes.sliced(start, close - start), true};
    }

    RawField nextUnquoted()
    {
        const qsizetype start = m_pos;
        while (!atEnd() && m_bytes[m_pos] != ',' && m_bytes[m_pos] != '\r' && m_bytes[m_pos] != '\n')
            ++m_pos;
        qsizetype stop = m_pos;
        while (stop > start && isBlank(m_bytes[stop - 1]))
            --stop;
        skipDelimiter();
        return RawField{m_bytes.sliced(start, stop - start), false};
    }

    QByteArrayView m_bytes;
    qsizetype m_pos = 0;
};

// A decimal number as written: sign, digits with an optional point, exponent.
// Kept as text so that rounding is exact however many digits there are.
struct DecimalText {
    bool negative = false;
    QByteArrayView intDigits;
    QByteArrayView fracDigits;
    qint64 exponent = 0;

    char digitAt(qsizetype i) const
    {
        return i < intDigits.size() ? intDigits[i] : fracDigits[i - intDigits.size()];
    }
    qsizetype digitCount() const { return intDigits.size() + fracDigits.size(); }
};

std::optional<DecimalText> parseDecimal(QByteArrayView text)
{
    DecimalText number;
    qsizetype pos = 0;
    const auto digitsFrom = [&](qsizetype from) {
        while (pos < text.size() && isDigit(text[pos]))
            ++pos;
        return text.sliced(from, pos - from);
    };
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
        number.negative = text[pos++] == '-';
    number.intDigits = digitsFrom(pos);
    if (pos < text.size() && text[pos] == '.') {
        ++pos;
        number.fracDigits = digitsFrom(pos);
    }
    if (number.digitCount() == 0)
        return std::nullopt;
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        ++pos;
        bool negativeExponent = false;
        if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
            negativeExponent = text[pos++] == '-';
        const QByteArrayView expDigits = digitsFrom(pos);
        if (expDigits.isEmpty())
            return std::nullopt;
        // Past a billion the value is zero or too large anyway.
        constexpr qint64 kExponentCap = 1'000'000'000;
        for (char c : expDigits)
            number.exponent = std::min(kExponentCap, number.exponent * 10 + (c - '0'));
        if (negativeExponent)
            number.exponent = -number.exponent;
    }
    if (pos != text.size())
        return std::nullopt;
    return number;
}

enum class Rounded { Ok, TooLarge };

// Rounds half to even into a whole number; TooLarge when it has over ten digits.
Rounded roundToWhole(const DecimalText &number, qint64 *whole)
{
    const qsizetype count = number.digitCount();
    qsizetype first = 0;
    while (first < count && number.digitAt(first) == '0')
        ++first;
    *whole = 0;
    if (first == count)
        return Rounded::Ok;

    const qint64 significant = count - first;
    // Digits before the point once the exponent is applied.
    const qint64 intCount = significant - qint64(number.fracDigits.size()) + number.exponent;
    if (intCount > 10)
        return Rounded::TooLarge;

    qint64 magnitude = 0;
    for (qint64 i = 0; i < intCount; ++i) {
        const char digit = i < significant ? number.digitAt(first + i) : '0';
        magnitude = magnitude * 10 + (digit - '0');
    }
    if (intCount >= 0 && intCount < significant) {
        const char firstDropped = number.digitAt(first + intCount);
        bool restNonzero = false;
        for (qsizetype i = first + intCount + 1; i < count && !restNonzero; ++i)
            restNonzero = number.digitAt(i) != '0';
        const bool half = firstDropped == '5' && !restNonzero;
        if (firstDropped > '5' || (firstDropped == '5' && restNonzero) || (half && magnitude % 2 != 0))
            ++magnitude;
    }
    // intCount < 0: the value is below 0.1 and rounds to zero.
    *whole = number.negative ? -magnitude : magnitude;
    return Rounded::Ok;
}

QString readWhole(const RawField &field, qint64 min, qint64 max, qint64 *value)
{
    if (field.quoted)
        return QStringLiteral("expected a whole number, found the quoted text %1")
            .arg(quoteForMessage(field.text));
    if (field.text.isEmpty())
        return QStringLiteral("the field is empty; expected a whole number");
    const std::optional<DecimalText> number = parseDecimal(field.text);
    if (!number)
        return QStringLiteral("%1 is not a number").arg(quoteForMessage(field.text));
    if (roundToWhole(*number, value) == Rounded::TooLarge || *value < min || *value > max)
        return QStringLiteral("%1 does not fit a %2-bit whole number")
            .arg(quoteForMessage(field.text))
            .arg(max > 32767 ? 32 : 16);
    return {};
}

QString readInt32(const RawField &field, qint32 *target)
{
    qint64 value = 0;
    QString error = readWhole(field, std::numeric_limits<qint32>::min(),
                              std::numeric_limits<qint32>::max(), &value);
    if (error.isEmpty())
        *target = qint32(value);
    return error;
}

QString readInt16(const RawField &field, qint16 *target)
{
    qint64 value = 0;
    QString error = readWhole(field, std::numeric_limits<qint16>::min(),
                              std::numeric_limits<qint16>::max(), &value);
    if (error.isEmpty())
        *target = qint16(value);
    return error;
}

QString readTruth(const RawField &field, bool *target)
{
    if (!field.quoted) {
        if (field.text.compare("#TRUE#", Qt::CaseInsensitive) == 0) {
            *target = true;
            return {};
        }
        if (field.text.compare("#FALSE#", Qt::CaseInsensitive) == 0) {
            *target = false;
            return {};
        }
        if (const std::optional<DecimalText> number = parseDecimal(field.text)) {
            bool nonzero = false;
            for (qsizetype i = 0; i < number->digitCount() && !nonzero; ++i)
                nonzero = number->digitAt(i) != '0';
            *target = nonzero;
            return {};
        }
    }
    return QStringLiteral("expected #TRUE# or #FALSE#, found %1%2")
        .arg(field.quoted ? QStringLiteral("the quoted text ") : QString(),
             quoteForMessage(field.text));
}

QString readText(const RawField &field, QString *target)
{
    std::optional<QString> text = plat::decodeLocalText(field.text);
    if (!text)
        return QStringLiteral("the text is not valid %1").arg(plat::localTextEncodingName());
    *target = std::move(*text);
    return {};
}

QString storeField(SettingsRecord &r, int index, const RawField &field)
{
    switch (index) {
    case 0: return readInt32(field, &r.form1Left);
    case 1: return readInt32(field, &r.form1Top);
    case 2: return readInt32(field, &r.frmSetLeft);
    case 3: return readInt32(field, &r.frmSetTop);
    case 4: return readText(field, &r.makuPath0);
    case 5: return readText(field, &r.makuPath1);
    case 6: return readInt32(field, &r.makuSpeed0);
    case 7: return readInt32(field, &r.makuSpeed1);
    case 8: return readText(field, &r.kanbanPath);
    case 9: return readInt32(field, &r.kanbanLeft);
    case 10: return readInt32(field, &r.kanbanTop);
    case 11: return readTruth(field, &r.viewKanban);
    case 12: return readTruth(field, &r.viewWaku);
    case 13: return readInt32(field, &r.hScroll1);
    case 14: return readInt32(field, &r.hScroll2);
    case 15: return readInt16(field, &r.option);
    }
    Q_UNREACHABLE();
    return {};
}

// The shortest fixed-point text that reads back as the same float.
QByteArray formatFloat(float value, bool *ok)
{
    *ok = std::isfinite(value);
    if (!*ok || value == 0)
        return QByteArrayLiteral("0"); // also turns -0 into 0
    // A float's longest fixed form is under 60 characters (39 digits, or a tiny denormal).
    std::array<char, 128> buffer;
    const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                         std::chars_format::fixed);
    Q_ASSERT(ec == std::errc());
    return QByteArray(buffer.data(), end - buffer.data());
}

QByteArray formatText(const QString &text, QString *problem)
{
    if (text.contains(u'"')) {
        *problem = QStringLiteral("contains a double quote, which the line cannot hold");
        return QByteArrayLiteral("\"\"");
    }
    const std::optional<QByteArray> bytes = plat::encodeLocalText(text);
    if (!bytes) {
        *problem = QStringLiteral("has characters that %1 cannot hold")
                       .arg(plat::localTextEncodingName());
        return QByteArrayLiteral("\"\"");
    }
    return '"' + *bytes + '"';
}

} // namespace

SettingsReadResult readSettingsRecord(QByteArrayView fileBytes)
{
    SettingsReadResult result;
    if (fileBytes.size() > kMaxSettingsFileSize) {
        result.error = QStringLiteral("the file has %1 bytes, more than the %2 a settings file may have")
                           .arg(fileBytes.size())
                           .arg(kMaxSettingsFileSize);
        return result;
    }
    FieldScanner scanner(plat::skipByteOrderMark(fileBytes));
    for (int index = 0; index < kSettingsFieldCount; ++index) {
        QString error;
        const std::optional<RawField> field = scanner.next(&error);
        if (!field) {
            result.error = error.isEmpty()
                ? QStringLiteral("the file ends before field %1; %2 fields are needed")
                      .arg(index + 1)
                      .arg(kSettingsFieldCount)
                : fieldLabel(index) + QStringLiteral(": ") + error;
            return result;
        }
        error = storeField(result.record, index, *field);
        if (!error.isEmpty()) {
            result.error = fieldLabel(index) + QStringLiteral(": ") + error;
            return result;
        }
        result.fieldsRead = index + 1;
    }
    return result;
}

SettingsWriteResult writeSettingsRecord(const SettingsValues &v)
{
    QStringList problems;
    const auto position = [&](int index, float value) {
        bool ok = true;
        QByteArray text = formatFloat(value, &ok);
        if (!ok)
            problems << fieldLabel(index) + QStringLiteral(" is not a finite number; written as 0");
        return text;
    };
    const auto text = [&](int index, const QString &value) {
        QString problem;
        QByteArray bytes = formatText(value, &problem);
        if (!problem.isEmpty())
            problems << fieldLabel(index) + u' ' + problem + QStringLiteral("; written empty");
        return bytes;
    };
    const auto whole = [](qint16 value) { return QByteArray::number(value); };
    const auto truth = [](bool value) {
        return value ? QByteArrayLiteral("#TRUE#") : QByteArrayLiteral("#FALSE#");
    };

    const std::array<QByteArray, kSettingsFieldCount> fields = {
        position(0, v.form1Left),  position(1, v.form1Top),
        position(2, v.frmSetLeft), position(3, v.frmSetTop),
        text(4, v.makuPath0),      text(5, v.makuPath1),
        whole(v.makuSpeed0),       whole(v.makuSpeed1),
        text(8, v.kanbanPath),     position(9, v.kanbanLeft),
        position(10, v.kanbanTop), truth(v.viewKanban),
        truth(v.viewWaku),         whole(v.hScroll1),
        whole(v.hScroll2),         whole(v.option),
    };

    SettingsWriteResult result;
    for (int index = 0; index < kSettingsFieldCount; ++index) {
        if (index > 0)
            result.bytes += ',';
        result.bytes += fields[index];
    }
    result.bytes += "\r\n";
    result.warning = problems.join(QStringLiteral("; "));
    return result;
}
