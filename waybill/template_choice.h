#pragma once

#include "waybill/layout_template.h"

#include <QString>

enum class WaybillVariant;

// The template each print window prints on, kept across starts in the
// user's settings: a built-in one by its name, a file by its path.
namespace TemplateChoice {

void remember(WaybillVariant window, const LayoutTemplate& chosen);
// "" when the window's own template is the one, or none was kept.
QString remembered(WaybillVariant window);

} // namespace TemplateChoice
