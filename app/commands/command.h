#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>

class QTextStream;
class StoreSession;

// One command of sfwaybill-cli: its name, its options, the checks of its
// arguments a parser cannot make, and what it does. Only commands write to
// standard output and standard error; a failure that ends one is thrown as
// a CommandError for the program's main to tell.
class Command {
public:
    // `operands`: how many plain arguments it takes; -1 any number.
    Command(QString name, QString synopsis, QString summary, int operands = 0);
    virtual ~Command() = default;

    QString name() const { return m_name; }
    QString synopsis() const { return m_synopsis; }
    QString summary() const { return m_summary; }
    virtual QList<QCommandLineOption> options() const { return {}; }
    // Measures or draws text, which needs a GUI application and its fonts;
    // the other commands start without them.
    virtual bool drawsPages() const { return false; }

    // Why the parsed arguments do not fit; empty when they do.
    virtual QString check(const QCommandLineParser& p) const;
    // Works on `store`. The exit status: 0 done, 1 failed, 3 print
    // --strict with a text cut.
    virtual int run(const QCommandLineParser& p, const StoreSession& store) const = 0;

    QString usage() const;

    // The program's name as messages give it.
    static inline const QString program = QStringLiteral("sfwaybill-cli");

    static QTextStream& out();
    static QTextStream& err();

protected:
    static QString value(const QCommandLineParser& p, const char* option);
    // Why --since does not name a day; empty when it does or is not given.
    static QString sinceError(const QCommandLineParser& p);
    static QCommandLineOption valued(const QString& name, const QString& valueName,
                                     const QString& text);

private:
    QString m_name;
    QString m_synopsis;
    QString m_summary;
    int m_operands;
};
