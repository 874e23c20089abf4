#include "scripted_dialogs.h"

#include "waybill/page_source.h"

#include <QTest>

ScriptedDialogs::ScriptedDialogs()
{
    Dialogs::install(this);
}

ScriptedDialogs::~ScriptedDialogs()
{
    Dialogs::install(nullptr);
}

void ScriptedDialogs::message(QWidget*, const QString& title, const QString& text, Icon icon,
                              const QString& details)
{
    shown << Shown{QStringLiteral("message"), title, text, icon, Default::Yes, details};
}

bool ScriptedDialogs::ask(QWidget*, const QString& title, const QString& text, Default preset)
{
    shown << Shown{QStringLiteral("ask"), title, text, Icon::Question, preset};
    if (answers.isEmpty()) {
        QTest::qFail("unexpected question", __FILE__, __LINE__);
        return false;
    }
    return answers.dequeue();
}

int ScriptedDialogs::choose(QWidget*, const QString& title, const QString& text,
                            const QStringList& buttons, int)
{
    shown << Shown{QStringLiteral("choose"), title, text, Icon::Question};
    if (choices.isEmpty()) {
        QTest::qFail("unexpected choice", __FILE__, __LINE__);
        return int(buttons.size()) - 1;
    }
    const qsizetype index = buttons.indexOf(choices.dequeue());
    if (index < 0)
        QTest::qFail("no such button", __FILE__, __LINE__);
    return int(index < 0 ? buttons.size() - 1 : index);
}

std::optional<QString> ScriptedDialogs::editText(QWidget*, const QString& title, const QString&,
                                                 const QString& initial)
{
    shown << Shown{QStringLiteral("text"), title, QString(), Icon::Question};
    textInitials << initial;
    return texts.isEmpty() ? std::nullopt : texts.dequeue();
}

std::optional<QString> ScriptedDialogs::editLine(QWidget* parent, const QString& title,
                                                 const QString& label, const QString& initial)
{
    return editText(parent, title, label, initial);
}

QString ScriptedDialogs::openFile(QWidget*, const QString& title, const QString& filter)
{
    shown << Shown{QStringLiteral("open"), title, QString(), Icon::Question};
    filters << filter;
    return files.isEmpty() ? QString() : files.dequeue();
}

QString ScriptedDialogs::saveFile(QWidget*, const QString& title, const QString& filter,
                                  QString* chosenType)
{
    shown << Shown{QStringLiteral("save"), title, QString(), Icon::Question};
    filters << filter;
    const int type = fileTypes.isEmpty() ? 0 : fileTypes.dequeue();
    if (chosenType)
        *chosenType = filter.split(QStringLiteral(";;")).value(type);
    return files.isEmpty() ? QString() : files.dequeue();
}

std::optional<QFont> ScriptedDialogs::chooseFont(QWidget*, const QFont& initial)
{
    shown << Shown{QStringLiteral("font"), QString(), initial.family(), Icon::Question};
    fontInitials << initial;
    return fonts.isEmpty() ? std::nullopt : fonts.dequeue();
}

void ScriptedDialogs::preview(QWidget* parent, PageSource& pages, PrintJob& job)
{
    shown << Shown{QStringLiteral("preview"), QString(), QString(), Icon::Information};
    previewPageCounts << pages.pageCount();
    if (!previewActions.isEmpty())
        previewActions.dequeue()(parent, pages, job);
}

QStringList ScriptedDialogs::messageTexts() const
{
    QStringList messages;
    for (const Shown& s : shown)
        if (s.kind == QLatin1String("message") || s.kind == QLatin1String("ask") ||
            s.kind == QLatin1String("choose"))
            messages << s.text;
    return messages;
}

QString ScriptedDialogs::lastText() const
{
    const QStringList messages = messageTexts();
    return messages.isEmpty() ? QString() : messages.last();
}
