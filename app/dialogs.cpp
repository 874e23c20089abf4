#include "app/dialogs.h"

#include "app/app_info.h"
#include "app/qt_dialogs.h"

namespace {

Dialogs* installed = nullptr;

Dialogs& qtDialogs()
{
    static QtDialogs dialogs;
    return dialogs;
}

const QString noticeTitle = QStringLiteral(u"提示");

} // namespace

Dialogs& Dialogs::current()
{
    return installed ? *installed : qtDialogs();
}

void Dialogs::install(Dialogs* dialogs)
{
    installed = dialogs;
}

void Dialogs::inform(QWidget* parent, const QString& text)
{
    current().message(parent, AppInfo::title, text, Icon::Information);
}

void Dialogs::notice(QWidget* parent, const QString& text)
{
    current().message(parent, noticeTitle, text, Icon::Information);
}

bool Dialogs::confirm(QWidget* parent, const QString& text, Default preset)
{
    return current().ask(parent, noticeTitle, text, preset);
}
