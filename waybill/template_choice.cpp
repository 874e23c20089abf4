#include "waybill/template_choice.h"

#include "waybill/waybill_layout.h"

#include <QFileInfo>
#include <QSettings>

namespace TemplateChoice {

namespace {

QSettings settings()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("sfwaybill"),
                     QStringLiteral("printing"));
}

QString keyOf(WaybillVariant window)
{
    return QStringLiteral("templates/") + windowClassName(window);
}

} // namespace

void remember(WaybillVariant window, const LayoutTemplate& chosen)
{
    // A built-in template is read from ":/templates/NAME.json".
    const QString kept = !chosen.builtIn ? QFileInfo(chosen.source).absoluteFilePath()
                         : chosen.name == LayoutTemplates::builtIn(window).name
                             ? QString()
                             : QFileInfo(chosen.source).completeBaseName();
    QSettings s = settings();
    if (kept.isEmpty())
        s.remove(keyOf(window));
    else
        s.setValue(keyOf(window), kept);
    s.sync();
}

QString remembered(WaybillVariant window)
{
    return settings().value(keyOf(window)).toString();
}

} // namespace TemplateChoice
