#include "settings/settings_record.h"

#include "platform/text_codec.h"

#include <algorithm>
#include <array>
#include <limits>
#include <optional>
#include <type_traits>
#include <variant>

namespace {

using FieldMember = std::variant<qint32 SettingsRecord::*, qint16 SettingsRecord::*,
                                 bool SettingsRecord::*, QString SettingsRecord::*>;

struct Field {
    const char *name; // as the windows call the value, for the error output
    FieldMember member; // its type is the type the field is read and written as
};

// The line, in order. Reader and writer both walk this table.
const std::array<Field, kSettingsFieldCount> kFields = {{
    {"Form1 left", &SettingsRecord::form1Left},
    {"Form1 top", &SettingsRecord::form1Top},
    {"frmSet left", &SettingsRecord::frmSetLeft},
    {"frmSet top", &SettingsRecord::frmSetTop},
    {"makuPath(0)", &SettingsRecord::makuPath0},
    {"makuPath(1)", &SettingsRecord::makuPath1},
    {"scllMakuSpeed(0)", &SettingsRecord::makuSpeed0},
    {"scllMakuSpeed(1)", &SettingsRecord::makuSpeed1},
    {"kanbanPath", &SettingsRecord::kanbanPath},
    {"PicKanban left", &SettingsRecord::kanbanLeft},
    {"PicKanban top", &SettingsRecord::kanbanTop},
    {"MnuViewKanban", &SettingsRecord::viewKanban},
    {"MnuViewWaku", &SettingsRecord::viewWaku},
    {"HScroll1", &SettingsRecord::hScroll1},
    {"HScroll2", &SettingsRecord::hScroll2},
    {"Option1 index", &SettingsRecord::option},
}};

template <typename Member>
int fieldIndexOf(Member member)
{
    for (int i = 0; i < kSettingsFieldCount; ++i)
        if (const Member *m = std::get_if<Member>(&kFields[i].member); m && *m == member)
            return i;
    Q_UNREACHABLE();
    return kSettingsFieldCount;
}

QString fieldLabel(int index)
{
    return QStringLiteral("field %1 (%2)").arg(index + 1).arg(QLatin1StringView(kFields[index].name));
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

constexpr char kCtrlZ = 26;

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

template <typename Int>
QString readInteger(const RawField &field, Int *target)
{
    qint64 value = 0;
    QString error = readWhole(field, std::numeric_limits<Int>::min(),
                              std::numeric_limits<Int>::max(), &value);
    if (error.isEmpty())
        *target = Int(value);
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
    if (field.text.size() > kMaxSettingsPathBytes)
        return QStringLiteral("the text is longer than %1 bytes").arg(kMaxSettingsPathBytes);
    std::optional<QString> text = plat::decodeLocalText(field.text);
    if (!text)
        return QStringLiteral("the text is not valid %1").arg(plat::localTextEncodingName());
    *target = std::move(*text);
    return {};
}

QString storeField(SettingsRecord &record, const Field &spec, const RawField &field)
{
    return std::visit(
        [&](auto member) -> QString {
            auto *target = &(record.*member);
            using Value = std::remove_pointer_t<decltype(target)>;
            if constexpr (std::is_same_v<Value, QString>)
                return readText(field, target);
            else if constexpr (std::is_same_v<Value, bool>)
                return readTruth(field, target);
            else
                return readInteger(field, target);
        },
        spec.member);
}

// Empty, or why the text cannot be carried by the line as it is.
QString textProblem(const QString &text, QByteArray *bytes)
{
    if (text.contains(u'"'))
        return QStringLiteral("it contains a double quote, which the line cannot hold");
    if (text.contains(QChar(kCtrlZ)))
        return QStringLiteral("it contains a Ctrl-Z, which ends the file");
    std::optional<QByteArray> encoded = plat::encodeLocalText(text);
    if (!encoded)
        return QStringLiteral("it has characters that %1 cannot hold")
            .arg(plat::localTextEncodingName());
    if (encoded->size() > kMaxSettingsPathBytes)
        return QStringLiteral("it is longer than %1 bytes").arg(kMaxSettingsPathBytes);
    *bytes = std::move(*encoded);
    return {};
}

QByteArray formatField(const SettingsRecord &record, int index, QStringList *leftOut)
{
    return std::visit(
        [&](auto member) -> QByteArray {
            const auto &value = record.*member;
            using Value = std::remove_cvref_t<decltype(value)>;
            if constexpr (std::is_same_v<Value, QString>) {
                QByteArray bytes;
                const QString problem = textProblem(value, &bytes);
                if (!problem.isEmpty())
                    *leftOut << fieldLabel(index) + QStringLiteral(" written empty: ") + problem;
                return '"' + bytes + '"';
            } else if constexpr (std::is_same_v<Value, bool>) {
                return value ? QByteArrayLiteral("#TRUE#") : QByteArrayLiteral("#FALSE#");
            } else {
                return QByteArray::number(value);
            }
        },
        kFields[index].member);
}

} // namespace

bool SettingsReadResult::holds(qint32 SettingsRecord::*member) const
{
    return fieldIndexOf(member) < fieldsRead;
}

bool SettingsReadResult::holds(QString SettingsRecord::*member) const
{
    return fieldIndexOf(member) < fieldsRead;
}

SettingsReadResult readSettingsRecord(QByteArrayView fileBytes)
{
    QByteArrayView bytes = fileBytes.first(std::min(fileBytes.size(), kSettingsReadLimit));
    if (const qsizetype end = bytes.indexOf(kCtrlZ); end >= 0)
        bytes = bytes.first(end);
    FieldScanner scanner(plat::skipByteOrderMark(bytes));
    SettingsReadResult result;
    for (int index = 0; index < kSettingsFieldCount; ++index) {
        QString error;
        const std::optional<RawField> field = scanner.next(&error);
        if (field)
            error = storeField(result.record, kFields[index], *field);
        else if (error.isEmpty())
            error = QStringLiteral("the file ends before it");
        if (!error.isEmpty()) {
            result.problem = fieldLabel(index) + QStringLiteral(": ") + error;
            return result;
        }
        result.fieldsRead = index + 1;
    }
    return result;
}

SettingsLine writeSettingsRecord(const SettingsRecord &record)
{
    SettingsLine line;
    for (int index = 0; index < kSettingsFieldCount; ++index) {
        if (index > 0)
            line.bytes += ',';
        line.bytes += formatField(record, index, &line.leftOut);
    }
    line.bytes += "\r\n";
    return line;
}
