#include "app/program_icon.h"

// Resources of a static library must be pulled in by hand.
static void initIconResources()
{
    Q_INIT_RESOURCE(program_icon);
}

namespace ProgramIcon {

QIcon icon()
{
    initIconResources();
    QIcon icon;
    icon.addFile(QStringLiteral(":/sfwaybill/sfwaybill-48.png"), QSize(48, 48));
    icon.addFile(QStringLiteral(":/sfwaybill/sfwaybill-128.png"), QSize(128, 128));
    return icon;
}

} // namespace ProgramIcon
