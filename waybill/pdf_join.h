#pragma once

#include <QFile>
#include <QList>
#include <QString>
#include <QTemporaryFile>

// One PDF made of parts that Qt's writer wrote one after the other, each
// with its own page tree: the parts' objects are copied in as they come,
// renumbered, and their page trees become the kids of one root, so the
// pages keep their order. Qt's writer holds a few numbers for every page
// until its document ends; a part at a time, a batch of any length holds
// those of one part. Only one part's object table is held while it is
// copied; the whole document's cross-reference table is written aside
// and copied behind the objects at the end. Throws PrintError.
class PdfJoin {
public:
    // Starts the PDF at `path`; `shown` names it in messages.
    PdfJoin(const QString& path, const QString& shown);
    // Copies every page and object of the PDF at `part`.
    void append(const QString& part);
    // The root of the page tree, the catalogue, the cross-reference table.
    void finish();

private:
    [[noreturn]] void fail() const;
    [[noreturn]] void damaged(const QString& part) const;
    void write(const QByteArray& bytes);
    // Starts object `number` at the current end; its entry of the table.
    void beginObject(qint64 number);

    QString m_shown;
    QFile m_out;
    QTemporaryFile m_table; // entries of objects 3 on, 20 bytes each
    qint64 m_written = 0;
    qint64 m_nextNumber = 3; // 1 is the page tree's root, 2 the catalogue
    qint64 m_info = 0;       // the first part's document information
    qint64 m_pageCount = 0;
    QList<qint64> m_kids; // each part's page tree
};
