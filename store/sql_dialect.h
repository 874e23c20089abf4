#pragma once

#include <QString>
#include <QStringList>

// What differs between the two stores: data.mdb (SQLite, one desk) and a
// PostgreSQL server shared by several desks. Everything else, statements
// and their meaning included, is the same on both.
class SqlDialect {
public:
    enum class Kind { File, Server };

    explicit SqlDialect(Kind kind = Kind::File) : m_kind(kind) {}
    Kind kind() const { return m_kind; }
    bool isServer() const { return m_kind == Kind::Server; }

    // The hidden column that addresses a row for later edits: SQLite's
    // rowid, on the server a key column that is never shown or exported.
    QString rowIdentity() const;
    // Whether a deleted row's identity may name a later row: SQLite gives
    // the highest rowid again once that row is gone.
    bool reusesIdentities() const { return !isServer(); }
    // The table's own columns with the identity first, in insertion order
    // on the server as SQLite returns them.
    QString selectWithIdentity(const QString& table, const QString& condition) const;
    // The table's own columns only, in insertion order.
    QString selectRows(const QString& table) const;
    // "column contains the bound text": % and _ match any run or any one
    // character, a backslash is literal; ASCII letters ignore case.
    QString contains(const QString& column) const;
    // Appends a row; on the server it returns the new identity.
    QString insertRow(const QString& table, const QStringList& columns) const;
    QString createTable(const QString& table, const QStringList& columns) const;
    // Run first inside a transaction that empties and refills a table, so
    // two desks doing it at once leave one complete list, never a mix.
    // Empty where the engine's write lock already does it.
    QString lockForReplace(const QString& table) const;
    // Run first inside the transaction that brings the schema up to date,
    // so that two desks take turns; empty where the write lock does it.
    QString lockSchema() const;

    // A name as an identifier, whatever characters it holds.
    static QString quoted(const QString& name);
    // The names quoted, comma-separated.
    static QString quotedList(const QStringList& names);
    // `count` bound-value markers, comma-separated.
    static QString markers(qsizetype count);

private:
    Kind m_kind;
};
