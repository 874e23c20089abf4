#include "ui/error_report.h"

#include "store/command_error.h"
#include "ui/app_info.h"
#include "ui/dialogs.h"

#include <exception>
#include <new>

namespace ErrorReport {

QString boxText(const QString& errorText)
{
    if (errorText.isEmpty())
        return QStringLiteral(".");
    const QChar last = errorText.back();
    if (last == QLatin1Char('.') || last == QLatin1Char('!'))
        return errorText;
    // A Chinese sentence ends in its own marks, never in an ASCII point.
    if (QStringLiteral(u"。！？；：”）」』…").contains(last))
        return errorText;
    if (last.script() == QChar::Script_Han)
        return errorText + QStringLiteral(u"。");
    return errorText + QLatin1Char('.');
}

void show(QWidget* parent, const QString& errorText)
{
    show(parent, errorText, QString());
}

void show(QWidget* parent, const QString& errorText, const QString& advice)
{
    QString text = boxText(errorText);
    if (!advice.isEmpty())
        text += QStringLiteral("\n\n") + advice;
    Dialogs::current().message(parent, AppInfo::title, text, Dialogs::Icon::Error);
}

bool run(QWidget* parent, const std::function<void()>& command)
{
    try {
        command();
        return true;
    } catch (const CommandError& e) {
        // The engine's reason below the message, unless the message holds it.
        show(parent, e.text(), e.text().contains(e.detail()) ? QString() : e.detail());
    } catch (const std::bad_alloc&) {
        show(parent, QStringLiteral(u"内存不足，命令未完成"));
    } catch (const std::exception& e) {
        show(parent, QString::fromUtf8(e.what()));
    } catch (...) {
        show(parent, QStringLiteral(u"未知错误，命令未完成"));
    }
    return false;
}

} // namespace ErrorReport
