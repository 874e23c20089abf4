#include "waybill/template_snapping.h"

#include <array>
#include <cmath>
#include <optional>

namespace TemplateSnapping {

namespace {

struct AxisSnap {
    double shift = 0;
    double line = 0;
};

// The smallest shift that puts one of `own` onto one of `lines`.
std::optional<AxisSnap> nearest(const std::array<double, 3>& own, const QList<double>& lines,
                                double tolerance)
{
    std::optional<AxisSnap> best;
    for (const double line : lines)
        for (const double mine : own) {
            const double shift = line - mine;
            if (std::abs(shift) <= tolerance && (!best || std::abs(shift) < std::abs(best->shift)))
                best = AxisSnap{shift, line};
        }
    return best;
}

} // namespace

SnappedBox snap(const QRectF& moving, const QList<QRectF>& others, const QSizeF& paper,
                double tolerance)
{
    QList<double> columns{0, paper.width() / 2, paper.width()};
    QList<double> rows{0, paper.height() / 2, paper.height()};
    for (const QRectF& r : others) {
        columns << r.left() << r.center().x() << r.right();
        rows << r.top() << r.center().y() << r.bottom();
    }
    SnappedBox result{moving, {}};
    if (const auto x =
            nearest({moving.left(), moving.center().x(), moving.right()}, columns, tolerance)) {
        result.boxMm.translate(x->shift, 0);
        result.guidesMm << QLineF(x->line, 0, x->line, paper.height());
    }
    if (const auto y =
            nearest({moving.top(), moving.center().y(), moving.bottom()}, rows, tolerance)) {
        result.boxMm.translate(0, y->shift);
        result.guidesMm << QLineF(0, y->line, paper.width(), y->line);
    }
    return result;
}

} // namespace TemplateSnapping
