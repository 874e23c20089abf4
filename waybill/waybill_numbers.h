#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The numbers pre-printed on the courier's forms: how the numbers of a
// run's pages follow from the first one, and which numbers a form can bear.
namespace WaybillNumbers {

enum class Rule {
    None,    // the pages get no number
    PlusOne, // forms in numbered pads: the previous number plus one
    S10,     // UPU S10: two letters, eight digits, check digit, two letters
};
// "none", "plus-one", "s10"; nullopt for another name.
std::optional<Rule> ruleNamed(const QString& name);
QStringList ruleNames();

// The S10 check digit of eight digits: weights 8 6 4 2 3 5 9 7, 11 less the
// sum modulo 11, 10 giving 0 and 11 giving 5.
int s10CheckDigit(QStringView eightDigits);
// Two letters, eight digits, a digit, two letters (the check not tested).
bool looksLikeS10(QStringView number);

// Why `number` cannot be a form's number (a wrong S10 check digit, a
// character no form bears, letters where the run's numbers are all
// digits); empty when it can.
QString fault(const QString& number, bool digitsOnly = false);

// The numbers of a run's pages. Throws PrintError for a first number the
// rule cannot count from, or whose `count` pages would run past its width.
class Series {
public:
    Series() = default;
    Series(const QString& first, Rule rule, qsizetype count);

    bool isEmpty() const { return m_rule == Rule::None; }
    qsizetype count() const { return m_count; }
    // Page `index`'s number, "" without a rule or beyond the count.
    QString at(qsizetype index) const;
    QStringList all() const;
    // As many numbers on the forms after the first `used` of the pad:
    // those of the next run. Throws PrintError past the number's width.
    Series following(qsizetype used) const;

private:
    // The number `index` places after the first, "" past its width.
    QString numberAt(qsizetype index) const;

    QString m_first;
    Rule m_rule = Rule::None;
    qsizetype m_count = 0;
};

} // namespace WaybillNumbers
