#pragma once

#include <QList>
#include <QString>

class FieldPlacement;
class WaybillLayout;
struct PlacementMeasure;

// What of one placement's text does not reach paper as it stands in the
// record, found from what the page renderer measured; nothing here changes
// what is drawn.
struct FieldWarning {
    QString controlName;
    QString title;                // the column as the program shows it, e.g. "收件地址"
    qsizetype charactersLost = 0; // lines beyond the box's height
    QString covers;               // the title of a text its white box hides
    QString coveredBy;            // the title of a placement hiding its end
    bool offPaper = false;        // some of it lies beyond an edge of the paper
    QString crosses;              // the ruled line of the form it reaches past
    QString withoutGlyph;         // characters printed as an empty box

    // "收件地址 超出，31 字未打印", each problem after the title.
    QString text() const;
    // Some of it will not be on the paper as written.
    bool losesCharacters() const;
    // A smaller font may cure it: all but the missing glyphs.
    bool shrinkable() const;
    bool operator==(const FieldWarning&) const = default;
};

namespace PageWarnings {

// The column's name, with the role in front where both rows have it:
// "收件地址", "寄件人手机号码".
QString fieldTitle(const WaybillLayout& layout, const FieldPlacement& placement);

// One warning per placement with a problem, in drawing order; none when
// the page prints whole. `measured` is one page's, in drawing order.
QList<FieldWarning> check(const WaybillLayout& layout, const QList<PlacementMeasure>& measured);

// The warnings of one page on one line, those losing characters first.
QString pageText(const QList<FieldWarning>& warnings);

} // namespace PageWarnings
