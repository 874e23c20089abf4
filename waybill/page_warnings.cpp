#include "waybill/page_warnings.h"

#include "waybill/glyph_coverage.h"
#include "waybill/page_renderer.h"
#include "waybill/waybill_layout.h"

#include <QStringList>

QString FieldWarning::text() const
{
    QStringList parts;
    if (charactersLost > 0)
        parts << QStringLiteral(u"超出，%1 字未打印").arg(charactersLost);
    if (!covers.isEmpty())
        parts << QStringLiteral(u"过长，盖住了%1").arg(covers);
    if (!coveredBy.isEmpty())
        parts << QStringLiteral(u"过长，被%1盖住一部分").arg(coveredBy);
    if (offPaper)
        parts << QStringLiteral(u"超出纸边");
    if (!withoutGlyph.isEmpty())
        parts << QStringLiteral(u"缺字“%1”，印出空框").arg(withoutGlyph);
    return title + QLatin1Char(' ') + parts.join(QStringLiteral(u"，"));
}

namespace PageWarnings {

namespace {

bool isEmpty(const FieldWarning& w)
{
    return w.charactersLost == 0 && w.covers.isEmpty() && w.coveredBy.isEmpty() && !w.offPaper &&
           w.withoutGlyph.isEmpty();
}

QRectF paper()
{
    const QSizeF mm = WaybillLayout::paperSizeMm();
    return {0, 0, millimetresToPixels({mm.width()}), millimetresToPixels({mm.height()})};
}

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
    QList<FieldWarning> warnings;
    for (const PlacementMeasure& m : measured)
        warnings.append(
            {m.placement->controlName(), fieldTitle(layout, *m.placement), m.charactersLost});
    const QRectF sheet = paper();
    for (qsizetype i = 0; i < measured.size(); ++i) {
        const PlacementMeasure& earlier = measured.at(i);
        if (earlier.text.isEmpty())
            continue;
        warnings[i].offPaper = !sheet.contains(earlier.text);
        if (!earlier.linesWithoutGlyph.isEmpty())
            warnings[i].withoutGlyph =
                charactersWithoutGlyph(earlier.placement->font(), earlier.linesWithoutGlyph);
        // A later white box over this text hides what it meets. The one
        // further left grew into the other's room, and is the one too long.
        for (qsizetype j = i + 1; j < measured.size(); ++j) {
            const PlacementMeasure& later = measured.at(j);
            if (!later.box.intersects(earlier.text))
                continue;
            if (later.box.left() < earlier.box.left())
                warnings[j].covers = warnings.at(i).title;
            else
                warnings[i].coveredBy = warnings.at(j).title;
        }
    }
    warnings.removeIf(isEmpty);
    return warnings;
}

QString pageText(const QList<FieldWarning>& warnings)
{
    QStringList texts;
    for (const FieldWarning& w : warnings)
        texts << w.text();
    return texts.join(QStringLiteral(u"；"));
}

} // namespace PageWarnings
