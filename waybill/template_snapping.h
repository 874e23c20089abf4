#pragma once

#include <QLineF>
#include <QList>
#include <QRectF>
#include <QSizeF>

// Where a box being moved in the designer comes to rest: an edge or centre
// near another box's edge or centre, or the paper's, goes onto it.
struct SnappedBox {
    QRectF boxMm;
    QList<QLineF> guidesMm; // the lines it now shares, across the paper
};

namespace TemplateSnapping {

// Each axis on its own, the nearest line within `toleranceMm` winning.
SnappedBox snap(const QRectF& movingMm, const QList<QRectF>& othersMm, const QSizeF& paperMm,
                double toleranceMm);

} // namespace TemplateSnapping
