#pragma once

#include "store/connection.h"

#include <QByteArray>
#include <QStringList>
#include <QVariantList>
#include <optional>

// Rows into one table inside the caller's transaction. A server answers
// every statement, so a row at a time waits for as many answers as there
// are rows: there the rows go as one COPY. On data.mdb a prepared insert
// a row is as quick as any.
class BulkInsert {
public:
    BulkInsert(Connection& connection, const QString& table, const QStringList& columns);
    // A COPY cut short by a failure is ended, so that the caller can roll
    // its transaction back.
    ~BulkInsert();
    // One row's values in the order of the columns (NULL stays NULL);
    // throws StoreError.
    void add(const QVariantList& values);
    // Writes the rows still held; throws StoreError.
    void finish();

private:
    void sendCopy(bool last);

    Connection& m_connection;
    QString m_table;
    QStringList m_columns;
    std::optional<Connection::Prepared> m_insert;
    bool m_copying = false;
    QByteArray m_copy; // rows in COPY's text form, not sent yet
};
