#pragma once

#include "store/row_source.h"
#include "store/table_query.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QTemporaryDir>

class Connection;

// Every row of a query as a dataset reads it (one read transaction, the
// same values), written on arrival to a scratch file as packed blocks of
// a few hundred rows and read back a block at a time: a batch of a million
// rows holds one block in memory, not the rows, and the store is held no
// longer than a dataset's reading holds it. For rows walked from the first
// to the last, as a batch to PDF and its log walk them.
class SpooledRows : public RowSource {
public:
    // Reads the rows of `query` through the store of `connection`, which
    // is open. Throws StoreError.
    SpooledRows(Connection& connection, const TableQuery& query);
    ~SpooledRows() override;
    SpooledRows(const SpooledRows&) = delete;
    SpooledRows& operator=(const SpooledRows&) = delete;

    int expectedCount() const override { return int(m_rows); }
    QStringList columnNames() const override { return m_columns; }
    QString value(int row, int column) const override;
    QString value(int row, const QString& column) const override;
    QVariant identity(int row) const override;
    QString table() const override { return m_table; }

private:
    // Where a block lies in the file: its identities, the starts of its
    // rows within its text, then the text as the reader packed it.
    struct Block {
        qint64 firstRow;
        qint64 rows;
        qint64 offset;
        qint64 textBytes;
    };

    // Brings the block holding `row` into memory; false out of range.
    bool load(int row) const;

    QString m_table;
    QStringList m_columns;
    QTemporaryDir m_scratch;
    mutable QFile m_file;
    QList<Block> m_blocks;
    qint64 m_rows = 0;
    mutable qsizetype m_loaded = -1;
    mutable QList<qint64> m_identities;
    mutable QList<qint64> m_starts;
    mutable QByteArray m_text;
};
