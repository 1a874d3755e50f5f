#include "numbertext.h"

#include <QByteArray>
#include <QLocale>

#include <charconv>
#include <limits>

namespace numbertext {

namespace {
bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }
bool isBlank(QChar c) { return c == u' ' || c == u'\t'; }
} // namespace

double leadingNumber(QStringView text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && isBlank(text[i]))
        ++i;
    const qsizetype start = i;
    if (i < n && (text[i] == u'-' || text[i] == u'+'))
        ++i;
    bool digits = false;
    while (i < n && isDigit(text[i])) {
        ++i;
        digits = true;
    }
    if (i < n && text[i] == u'.') {
        ++i;
        while (i < n && isDigit(text[i])) {
            ++i;
            digits = true;
        }
    }
    if (!digits)
        return 0.0;
    // from_chars ignores the process locale (a decimal comma must not
    // change how "2.5" reads) and takes no "+".
    const bool negative = text[start] == u'-';
    const qsizetype from = (text[start] == u'-' || text[start] == u'+') ? start + 1 : start;
    const QByteArray ascii = text.mid(from, i - from).toLatin1();
    double value = 0.0;
    const auto result = std::from_chars(ascii.constData(), ascii.constData() + ascii.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        // Too large for a double, or so small that it is 0 to every reader.
        const QByteArray whole = ascii.left(ascii.indexOf('.') < 0 ? ascii.size() : ascii.indexOf('.'));
        const bool large = whole.count('0') != whole.size();
        value = large ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return negative ? -value : value;
}

std::optional<double> strictNumber(QStringView text)
{
    bool ok = false;
    const double value = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok)
        return std::nullopt;
    return value;
}

QString format(long long value, Picture picture)
{
    if (picture == Picture::Plain)
        return QString::number(value);
    // Negating the most negative value overflows; its magnitude fits unsigned.
    const auto magnitude = value < 0 ? 0ULL - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
    const QString digits = QString::number(magnitude).rightJustified(2, u'0');
    return value < 0 ? u'-' + digits : digits;
}

} // namespace numbertext
