#include "waybill/waybill_numbers.h"

#include "waybill/print_error.h"

#include <algorithm>

namespace WaybillNumbers {

namespace {

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool isLetter(QChar c)
{
    return c >= QLatin1Char('A') && c <= QLatin1Char('Z');
}

bool allDigits(QStringView text)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), isDigit);
}

// `digits` plus `add`, as wide as `digits`; empty when it does not fit.
QString plus(const QString& digits, qsizetype add)
{
    QString sum = digits;
    qulonglong carry = qulonglong(add);
    for (qsizetype i = sum.size() - 1; i >= 0 && carry > 0; --i) {
        const qulonglong d = qulonglong(sum.at(i).unicode() - u'0') + carry;
        sum[i] = QLatin1Char(char('0' + d % 10));
        carry = d / 10;
    }
    return carry > 0 ? QString() : sum;
}

} // namespace

std::optional<Rule> ruleNamed(const QString& name)
{
    if (name == QLatin1String("none"))
        return Rule::None;
    if (name == QLatin1String("plus-one"))
        return Rule::PlusOne;
    if (name == QLatin1String("s10"))
        return Rule::S10;
    return std::nullopt;
}

QStringList ruleNames()
{
    return {QStringLiteral("plus-one"), QStringLiteral("s10"), QStringLiteral("none")};
}

int s10CheckDigit(QStringView eightDigits)
{
    static constexpr int weights[] = {8, 6, 4, 2, 3, 5, 9, 7};
    int sum = 0;
    for (int i = 0; i < 8; ++i)
        sum += weights[i] * (eightDigits.at(i).unicode() - u'0');
    const int check = 11 - sum % 11;
    return check == 10 ? 0 : check == 11 ? 5 : check;
}

bool looksLikeS10(QStringView number)
{
    return number.size() == 13 && isLetter(number.at(0)) && isLetter(number.at(1)) &&
           allDigits(number.mid(2, 9)) && isLetter(number.at(11)) && isLetter(number.at(12));
}

QString fault(const QString& number, bool digitsOnly)
{
    if (number.isEmpty())
        return QStringLiteral(u"运单号是空的");
    if (!std::all_of(number.begin(), number.end(),
                     [](QChar c) { return isDigit(c) || isLetter(c); }))
        return QStringLiteral(u"运单号“%1”只能由数字和大写字母组成").arg(number);
    if (number.size() < 6 || number.size() > 30)
        return QStringLiteral(u"运单号“%1”的长度不对（6到30位）").arg(number);
    if (looksLikeS10(number)) {
        const int check = s10CheckDigit(QStringView(number).mid(2, 8));
        if (number.at(10).unicode() - u'0' != check)
            return QStringLiteral(u"运单号“%1”的校验位错误，应为%2").arg(number).arg(check);
    }
    if (digitsOnly && !allDigits(number))
        return QStringLiteral(u"运单号“%1”含有字母，而本批的运单号都是纯数字").arg(number);
    return {};
}

Series::Series(const QString& first, Rule rule, qsizetype count)
    : m_first(first.trimmed().toUpper()), m_rule(rule), m_count(count)
{
    if (m_rule == Rule::None || count < 1)
        return;
    if (m_rule == Rule::PlusOne) {
        if (!allDigits(m_first))
            throw PrintError(QStringLiteral(u"首个运单号“%1”不是纯数字，无法逐张加一").arg(first));
        if (const QString why = fault(m_first); !why.isEmpty())
            throw PrintError(why);
        if (plus(m_first, count - 1).isEmpty())
            throw PrintError(QStringLiteral(u"从%1起的%2张运单的号码超出%3位")
                                 .arg(m_first)
                                 .arg(count)
                                 .arg(m_first.size()));
        return;
    }
    // The check digit may be left out: it is computed.
    if (m_first.size() == 12 && looksLikeS10(m_first.left(10) + QLatin1Char('0') + m_first.mid(10)))
        m_first.insert(10, QLatin1Char(char('0' + s10CheckDigit(QStringView(m_first).mid(2, 8)))));
    if (!looksLikeS10(m_first))
        throw PrintError(
            QStringLiteral(u"首个运单号“%1”不是S10格式（两个字母、八位数字、校验位、两个字母）")
                .arg(first));
    if (const QString why = fault(m_first); !why.isEmpty())
        throw PrintError(why);
    if (plus(m_first.mid(2, 8), count - 1).isEmpty())
        throw PrintError(
            QStringLiteral(u"从%1起的%2张运单的号码超出八位序号").arg(m_first).arg(count));
}

QString Series::at(qsizetype index) const
{
    if (m_rule == Rule::None || index < 0 || index >= m_count)
        return {};
    return numberAt(index);
}

QString Series::numberAt(qsizetype index) const
{
    if (m_rule == Rule::PlusOne)
        return plus(m_first, index);
    const QString serial = plus(m_first.mid(2, 8), index);
    if (serial.isEmpty())
        return {};
    return m_first.left(2) + serial + QLatin1Char(char('0' + s10CheckDigit(serial))) +
           m_first.right(2);
}

Series Series::following(qsizetype used) const
{
    if (m_rule == Rule::None)
        return *this;
    const QString next = numberAt(used);
    if (next.isEmpty())
        throw PrintError(QStringLiteral(u"从%1起的运单纸号码已用完").arg(m_first));
    return Series(next, m_rule, m_count);
}

QStringList Series::all() const
{
    QStringList numbers;
    for (qsizetype i = 0; i < (isEmpty() ? 0 : m_count); ++i)
        numbers << at(i);
    return numbers;
}

} // namespace WaybillNumbers
