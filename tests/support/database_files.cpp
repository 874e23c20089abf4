#include "database_files.h"

#include "store/connection.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QSqlRecord>

namespace DatabaseFiles {

QByteArray contents(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

QStringList tablesOf(const QString& path)
{
    Connection c;
    c.openFile(path);
    QStringList rows;
    for (const char* table : {"outrxx", "inrxx", "excel"}) {
        QSqlQuery q = c.run({QStringLiteral("select * from %1 order by rowid").arg(table), {}});
        while (q.next()) {
            QStringList row{table};
            for (int i = 0; i < q.record().count(); ++i)
                row << q.value(i).toString();
            rows << row.join('|');
        }
    }
    return rows;
}

QStringList filesIn(const QString& dir)
{
    return QDir(dir).entryList(QDir::Files, QDir::Name);
}

} // namespace DatabaseFiles
