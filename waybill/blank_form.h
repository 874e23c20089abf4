#pragma once

#include <QList>
#include <QRect>
#include <QString>

// The ruled boxes of our drawing of the blank SF form, in layout pixels from
// the picture's top-left corner (the picture at 816 x 529). The placements'
// formBox() names them; the asset program draws them.
struct FormBox {
    QString id;    // "shipper.company", ...; empty for boxes nothing prints into
    QString label; // printed in the box's corner
    QRect rect;
};

namespace BlankForm {

inline constexpr int pictureWidth = 1272;
inline constexpr int pictureHeight = 820;
inline constexpr int dotsPerInch = 150;

const QList<FormBox>& boxes();
const FormBox* box(const QString& id);

} // namespace BlankForm
