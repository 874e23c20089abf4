#pragma once

#include "store/sql_dialect.h"
#include "store/statement.h"

// What a dataset reads: every column of one table in the table's order,
// optionally only the rows whose column contains a text. The dataset
// writes its edits back to that table.
struct TableQuery {
    QString table;
    QString column = {}; // empty for every row
    // The column's value compared without its spaces and dashes.
    bool ignoringSpacesAndDashes = false;
    QString text = {}; // % and _ in it match any run or any one character

    // "select * from <table> [where <column> like '%text%']", with the
    // store's row identity as an extra first column.
    Statement select(const SqlDialect& dialect) const;
    // select() on data.mdb a part at a time, in the order it scans the
    // rows: those after a row identity, as many as a limit, both bound
    // after select()'s values.
    Statement selectAfter() const;

    bool operator==(const TableQuery&) const = default;
};
