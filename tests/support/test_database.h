#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A fresh data.mdb in a temporary folder that becomes the current
// directory for the test's lifetime; rows are read back through a
// connection of its own, as another program would.
class TestDatabase {
public:
    TestDatabase();
    ~TestDatabase();

    QString dir() const { return m_dir.path(); }
    QString path() const;

    // Rows of a table as text, in rowid order; NULL reads as "<null>".
    QList<QStringList> rows(const QString& table) const;
    void insert(const QString& table, const QStringList& values) const;
    void exec(const QString& sql) const;

private:
    QTemporaryDir m_dir;
    QString m_previous;
};
