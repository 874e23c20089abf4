#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A temporary folder that is the current directory while it lives.
class TestFolder {
public:
    TestFolder();
    ~TestFolder();

    QString path() const { return m_dir.path(); }
    QString filePath(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
    QString m_previous;
};

// A fresh data.mdb in a TestFolder; rows are read back through a
// connection of its own, as another program would.
class TestDatabase {
public:
    TestDatabase();

    QString dir() const { return m_folder.path(); }
    QString path() const;

    // Rows of a table as text, in rowid order; NULL reads as "<null>".
    QList<QStringList> rows(const QString& table) const;
    void insert(const QString& table, const QStringList& values) const;
    void exec(const QString& sql) const;

private:
    TestFolder m_folder;
};
