#pragma once

#include <QList>
#include <QStringList>
#include <functional>
#include <utility>

// One sheet as text: rows top to bottom, cells left to right; a missing cell
// and an empty cell are both "". Rows may have different lengths.
using SheetRows = QList<QStringList>;

// The rows a writer takes: how many, and row r's cells, asked for once each
// from the first on, so that a sheet of a million rows is never held whole.
// A row may throw SheetError; the writer then leaves no file.
class SheetSource {
public:
    using Row = std::function<QStringList(int row)>;

    SheetSource(int count, Row row) : m_count(count), m_row(std::move(row)) {}
    // Rows held whole, which must outlive the source.
    SheetSource(const SheetRows& rows)
        : SheetSource(int(rows.size()), [&rows](int r) { return rows.at(r); })
    {
    }

    int count() const { return m_count; }
    QStringList row(int r) const { return m_row(r); }

private:
    int m_count;
    Row m_row;
};
