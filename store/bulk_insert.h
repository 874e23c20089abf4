#pragma once

#include "store/connection.h"

#include <QByteArray>
#include <QStringEncoder>
#include <QStringList>
#include <QVariantList>

// Rows into one table inside the caller's transaction. A server answers
// every statement, so a row at a time waits for as many answers as there
// are rows: there the rows go as one COPY. On data.mdb each row goes
// through one statement prepared on the engine itself: through the
// driver every value became a QVariant, a marker's name and UTF-16
// first, three times the engine's own work.
struct sqlite3_stmt;

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
    // Where `bytes` more may be written after the rows held.
    char* copyRoom(qsizetype bytes);
    void insertRow(const QVariantList& values);

    Connection& m_connection;
    QString m_table;
    QStringList m_columns;
    sqlite3_stmt* m_insert = nullptr;
    QList<QByteArray> m_held; // the bound texts of the row being written
    bool m_copying = false;
    // Rows in COPY's text form not sent yet: the first m_copyUsed bytes,
    // the rest room kept for the next.
    QByteArray m_copy;
    qsizetype m_copyUsed = 0;
    QStringEncoder m_utf8{QStringEncoder::Utf8, QStringConverter::Flag::Stateless};
};
