#pragma once

#include "store/connection.h"

#include <QStringList>
#include <QVariantList>
#include <optional>

// Rows into one table, many to a statement: a server answers every
// statement, so a row at a time waits for as many answers as there are
// rows, and asks for each new row's identity besides.
class BulkInsert {
public:
    BulkInsert(Connection& connection, const QString& table, const QStringList& columns);
    // One row's values in the order of the columns; throws StoreError.
    void add(const QVariantList& values);
    // Writes the rows still held; throws StoreError.
    void finish();

private:
    Connection& m_connection;
    QString m_table;
    QStringList m_columns;
    std::optional<Connection::Prepared> m_full;
    QVariantList m_held;
};
