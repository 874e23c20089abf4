#include "waybill/shift_value.h"

#include "waybill/print_error.h"

#include <limits>

namespace ShiftValue {

namespace {

int digitValue(QChar c, int base)
{
    const char16_t u = c.unicode();
    int d = -1;
    if (u >= '0' && u <= '9')
        d = u - '0';
    else if (base == 16 && u >= 'a' && u <= 'f')
        d = u - 'a' + 10;
    else if (base == 16 && u >= 'A' && u <= 'F')
        d = u - 'A' + 10;
    return d < base ? d : -1;
}

} // namespace

std::optional<int> parse(const QString& text)
{
    if (text.isEmpty())
        return std::nullopt;
    const auto invalid = [&] {
        return PrintError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    };

    qsizetype i = 0;
    while (i < text.size() && text.at(i) == QLatin1Char(' '))
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    int base = 10;
    if (i < text.size() && text.at(i) == QLatin1Char('$')) {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text.at(i) == QLatin1Char('0') &&
               (text.at(i + 1) == QLatin1Char('x') || text.at(i + 1) == QLatin1Char('X'))) {
        base = 16;
        i += 2;
    }
    if (i == text.size())
        throw invalid();

    // Accumulate the magnitude in 64 bits; the limit allows INT_MIN.
    const qint64 limit = negative ? -qint64(std::numeric_limits<int>::min())
                                  : qint64(std::numeric_limits<int>::max());
    qint64 magnitude = 0;
    for (; i < text.size(); ++i) {
        const int d = digitValue(text.at(i), base);
        if (d < 0)
            throw invalid();
        magnitude = magnitude * base + d;
        if (magnitude > limit)
            throw invalid();
    }
    return int(negative ? -magnitude : magnitude);
}

} // namespace ShiftValue
