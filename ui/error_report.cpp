#include "ui/error_report.h"

#include "store/command_error.h"
#include "ui/app_info.h"
#include "ui/dialogs.h"

#include <QStringList>
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

void show(QWidget* parent, const CommandError& error, const QString& advice)
{
    QStringList below;
    if (!error.text().contains(error.detail()))
        below << error.detail();
    if (!advice.isEmpty())
        below << advice;
    show(parent, error.text(), below.join(QStringLiteral("\n\n")));
}

void show(QWidget* parent, Box box, const QString& message, const CommandError& error,
          const QString& advice)
{
    QString reason = error.text();
    if (!reason.contains(error.detail()))
        reason += QStringLiteral(u"：") + error.detail();
    QStringList lines{message};
    if (advice.isEmpty())
        lines << QStringLiteral(u"原因：") + reason;
    else
        lines << advice << QStringLiteral(u"（%1）").arg(reason);
    const QString text = lines.join(QLatin1Char('\n'));
    if (box == Box::Notice)
        Dialogs::notice(parent, text);
    else
        Dialogs::inform(parent, text);
}

bool run(QWidget* parent, const std::function<void()>& command)
{
    try {
        command();
        return true;
    } catch (const CommandError& e) {
        show(parent, e);
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
