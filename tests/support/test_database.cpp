#include "test_database.h"

#include "store/database_file.h"
#include "store/schema.h"

#include <QDir>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>

namespace {

template <typename F> void withDatabase(const QString& path, F f)
{
    const QString name = QStringLiteral("test-reader");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (!db.open())
            qFatal("cannot open %s", qPrintable(path));
        f(db);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

} // namespace

TestFolder::TestFolder() : m_previous(QDir::currentPath())
{
    QDir::setCurrent(m_dir.path());
}

TestFolder::~TestFolder()
{
    QDir::setCurrent(m_previous);
}

TestDatabase::TestDatabase()
{
    DatabaseFile::createEmpty(path());
}

QString TestDatabase::path() const
{
    return m_folder.filePath(QStringLiteral("data.mdb"));
}

QList<QStringList> TestDatabase::rows(const QString& table) const
{
    QList<QStringList> result;
    withDatabase(path(), [&](QSqlDatabase& db) {
        QSqlQuery q(db);
        if (!q.exec(QStringLiteral("select * from %1 order by rowid").arg(table)))
            qFatal("%s", qPrintable(q.lastError().text()));
        while (q.next()) {
            QStringList row;
            for (int i = 0; i < q.record().count(); ++i)
                row << (q.value(i).isNull() ? QStringLiteral("<null>") : q.value(i).toString());
            result << row;
        }
    });
    return result;
}

void TestDatabase::insert(const QString& table, const QStringList& values) const
{
    withDatabase(path(), [&](QSqlDatabase& db) {
        QSqlQuery q(db);
        QStringList markers;
        for (int i = 0; i < values.size(); ++i)
            markers << QStringLiteral("?");
        q.prepare(QStringLiteral("insert into %1 values (%2)").arg(table, markers.join(',')));
        for (const QString& v : values)
            q.addBindValue(v);
        if (!q.exec())
            qFatal("%s", qPrintable(q.lastError().text()));
    });
}

void TestDatabase::exec(const QString& sql) const
{
    withDatabase(path(), [&](QSqlDatabase& db) {
        QSqlQuery q(db);
        if (!q.exec(sql))
            qFatal("%s", qPrintable(q.lastError().text()));
    });
}
