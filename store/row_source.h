#pragma once

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

// Rows a print run reads by their place in it: a dataset's, or a batch's
// read back from a spool (SpooledRows). Every value is text; "" out of
// range.
class RowSource {
public:
    virtual ~RowSource() = default;

    // The rows there are, a batch's pages.
    virtual int expectedCount() const = 0;
    virtual QStringList columnNames() const = 0;
    virtual QString value(int row, int column) const = 0;
    virtual QString value(int row, const QString& column) const = 0;
    // The store's identity of a row; null out of range.
    virtual QVariant identity(int row) const = 0;
    // The table the rows are of.
    virtual QString table() const = 0;
    // The rows, in order, whose RecipientKey::hash is one of `keys`:
    // some of them may be another recipient whose key hashes alike.
    // Nothing when the rows' keys are not at hand.
    virtual std::optional<QList<int>> rowsKeyedAs(const QSet<quint32>& keys) const
    {
        (void)keys;
        return std::nullopt;
    }

protected:
    RowSource() = default;
    RowSource(const RowSource&) = default;
    RowSource& operator=(const RowSource&) = default;
};
