#pragma once

#include "store/table_query.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QHash>
#include <QList>

// The searched columns of a snapshot's rows, a few bytes a row beside the
// compressed text: a search over a million rows reads some 30 MB instead
// of unpacking them all or scanning the table again. It finds what
// "column like '%text%'" finds on data.mdb: a value is held with its ASCII
// letters in lower case (LIKE folds ASCII only) and NULL apart (LIKE never
// matches it).
class SearchIndex {
public:
    struct Key {
        QString column;
        bool ignoringSpacesAndDashes = false;
    };

    explicit SearchIndex(QList<Key> keys) : m_keys(std::move(keys)) {}

    const QList<Key>& keys() const { return m_keys; }
    // Which key answers `query`'s condition; -1 for none.
    int keyOf(const TableQuery& query) const;

    // One value as a record of `key`, appended to `records`. False when
    // LIKE could read the value otherwise (a NUL within it ends the text
    // it compares).
    static bool appendRecord(QByteArray& records, const Key& key, const char* value, qsizetype size,
                             bool null);

    // The records of the next `rows` rows, one array per key.
    void append(QByteArrayList records, qsizetype rows);
    qsizetype rows() const { return m_rows; }

    // A row's records (one per key), as held now; a row is changed or
    // added by setRecords(), taken out by remove().
    QByteArrayList records(qsizetype row) const;
    void setRecords(qsizetype row, const QByteArrayList& records);
    void remove(qsizetype row);

    // The rows whose value of `key` contains `text` (% and _ in it match
    // any run and any one character), in order.
    QList<qsizetype> find(int key, const QString& text) const;

private:
    // Where row `row`'s record of `key` lies in its block.
    std::pair<qsizetype, qsizetype> locate(int key, qsizetype row) const;
    void blank(qsizetype row);

    QList<Key> m_keys;
    QList<QByteArrayList> m_blocks;   // [block][key]: that block's records
    QList<qsizetype> m_blockFirstRow; // the first row of each block
    qsizetype m_rows = 0;
    // Rows changed or added since they were read, and rows taken out
    // (no records): the blocks no longer answer for them.
    QHash<qsizetype, QByteArrayList> m_changed;
};
