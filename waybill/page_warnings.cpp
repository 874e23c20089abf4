#include "waybill/page_warnings.h"

#include "waybill/glyph_coverage.h"
#include "waybill/page_renderer.h"
#include "waybill/waybill_layout.h"

#include <QStringList>
#include <vector>

namespace {

// A control character would print nothing readable in the warning itself.
QString readable(const QString& characters)
{
    QString shown;
    for (const char32_t c : characters.toUcs4())
        shown += QChar::isPrint(c)
                     ? QString::fromUcs4(&c, 1)
                     : QStringLiteral("U+%1").arg(uint(c), 4, 16, QLatin1Char('0')).toUpper();
    return shown;
}

} // namespace

QString FieldWarning::text() const
{
    QStringList parts;
    if (charactersLost > 0)
        parts << QStringLiteral(u"超出，%1 字未打印").arg(charactersLost);
    if (!covers.isEmpty())
        parts << QStringLiteral(u"过长，盖住了%1").arg(covers);
    if (!coveredBy.isEmpty())
        parts << QStringLiteral(u"过长，被%1盖住一部分").arg(coveredBy);
    if (!crosses.isEmpty())
        parts << QStringLiteral(u"越过%1").arg(crosses);
    if (offPaper)
        parts << QStringLiteral(u"超出纸边");
    if (!withoutGlyph.isEmpty())
        parts << QStringLiteral(u"缺字“%1”，印出空框").arg(readable(withoutGlyph));
    return title + QLatin1Char(' ') + parts.join(QStringLiteral(u"，"));
}

bool FieldWarning::losesCharacters() const
{
    return charactersLost > 0 || !coveredBy.isEmpty() || offPaper || !withoutGlyph.isEmpty();
}

bool FieldWarning::shrinkable() const
{
    return charactersLost > 0 || !covers.isEmpty() || !coveredBy.isEmpty() || offPaper ||
           !crosses.isEmpty();
}

namespace PageWarnings {

namespace {

QRectF paper()
{
    const QSizeF mm = WaybillLayout::paperSizeMm();
    return {0, 0, millimetresToPixels({mm.width()}), millimetresToPixels({mm.height()})};
}

// What is wrong with one placement, by index into the page's measures;
// named only when something is, since most pages print whole.
struct Problems {
    qsizetype charactersLost = 0;
    qsizetype covers = -1;
    qsizetype coveredBy = -1;
    bool offPaper = false;
    QString withoutGlyph;
    QString crosses;

    bool any() const
    {
        return charactersLost > 0 || covers >= 0 || coveredBy >= 0 || offPaper ||
               !withoutGlyph.isEmpty() || !crosses.isEmpty();
    }
};

} // namespace

QString fieldTitle(const WaybillLayout& layout, const FieldPlacement& placement)
{
    for (const FieldPlacement& other : layout.placements())
        if (other.column() == placement.column() && other.role() != placement.role())
            return (placement.role() == RecordRole::Sender ? QStringLiteral(u"寄件人")
                                                           : QStringLiteral(u"收件人")) +
                   placement.column();
    return placement.column();
}

QList<FieldWarning> check(const WaybillLayout& layout, const QList<PlacementMeasure>& measured)
{
    static const QRectF sheet = paper();
    const qsizetype count = measured.size();
    std::vector<Problems> found(count);
    for (qsizetype i = 0; i < count; ++i) {
        const PlacementMeasure& earlier = measured.at(i);
        found[i].charactersLost = earlier.charactersLost;
        if (earlier.text.isEmpty())
            continue;
        found[i].offPaper = !sheet.contains(earlier.text);
        if (const FieldPlacement& p = *earlier.placement;
            p.room().value > 0 && earlier.text.right() > p.left().value + p.room().value)
            found[i].crosses = p.formBox().endsWith(QLatin1String(".mobile"))
                                   ? QStringLiteral(u"手机/电话分隔线")
                                   : QStringLiteral(u"电话栏右边线");
        if (!earlier.linesWithoutGlyph.isEmpty())
            found[i].withoutGlyph =
                charactersWithoutGlyph(earlier.placement->font(), earlier.linesWithoutGlyph);
        // A later white box over this text hides what it meets. The one
        // further left grew into the other's room, and is the one too long.
        for (qsizetype j = i + 1; j < count; ++j) {
            const PlacementMeasure& later = measured.at(j);
            if (!later.box.intersects(earlier.text))
                continue;
            if (later.box.left() < earlier.box.left())
                found[j].covers = i;
            else
                found[i].coveredBy = j;
        }
    }
    const auto title = [&](qsizetype i) { return fieldTitle(layout, *measured.at(i).placement); };
    QList<FieldWarning> warnings;
    for (qsizetype i = 0; i < count; ++i) {
        const Problems& p = found[i];
        if (!p.any())
            continue;
        warnings.append({measured.at(i).placement->controlName(), title(i), p.charactersLost,
                         p.covers >= 0 ? title(p.covers) : QString(),
                         p.coveredBy >= 0 ? title(p.coveredBy) : QString(), p.offPaper, p.crosses,
                         p.withoutGlyph});
    }
    return warnings;
}

QString pageText(const QList<FieldWarning>& warnings)
{
    // A status bar shows the start of a long line: what goes missing from
    // the paper comes before a number touching a ruled line.
    QStringList losing;
    QStringList others;
    for (const FieldWarning& w : warnings)
        (w.losesCharacters() ? losing : others) << w.text();
    return (losing + others).join(QStringLiteral(u"；"));
}

} // namespace PageWarnings
