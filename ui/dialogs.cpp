#include "ui/dialogs.h"

#include "ui/app_info.h"

namespace {

Dialogs* installed = nullptr;

const QString noticeTitle = QStringLiteral(u"提示");

} // namespace

Dialogs& Dialogs::current()
{
    if (!installed)
        qFatal("no dialogs installed: the program installs the desktop's, tests their own");
    return *installed;
}

void Dialogs::install(Dialogs* dialogs)
{
    installed = dialogs;
}

void Dialogs::inform(QWidget* parent, const QString& text, const QString& details)
{
    current().message(parent, AppInfo::title, text, Icon::Information, details);
}

void Dialogs::notice(QWidget* parent, const QString& text, const QString& details)
{
    current().message(parent, noticeTitle, text, Icon::Information, details);
}

bool Dialogs::confirm(QWidget* parent, const QString& text, Default preset)
{
    return current().ask(parent, noticeTitle, text, preset);
}
