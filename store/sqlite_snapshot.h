#pragma once

#include "store/row_text.h"
#include "store/statement.h"

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <QVariant>

class QSqlDriver;

// A select's rows read straight from SQLite: each value as the UTF-8 the
// file holds, appended to the rows' text. Through the driver every value goes
// to UTF-16 and into a QVariant first, which costs most of the time a
// 100,000-row snapshot takes.
namespace SqliteSnapshot {

struct Rows {
    QStringList columns;        // after the first, which is the row identity
    QList<QVariant> identities; // the first column of each row
    QList<qsizetype> starts;    // where each row's values begin in text
    RowText text;
};

// Fills `rows`, whose text says whether it is compressed. False when
// `driver` is not SQLite's or the statement did not run, so that the
// caller takes the driver's way and its error report.
bool read(QSqlDriver* driver, const Statement& statement, Rows& rows);

} // namespace SqliteSnapshot
