#pragma once

#include "store/sql_dialect.h"
#include "store/statement.h"

// What a dataset reads: every column of one table in the table's order,
// optionally only the rows whose column contains a bound text. The dataset
// writes its edits back to that table.
struct TableQuery {
    QString table;
    QString containsColumn; // a column or an expression on one; empty for every row
    QVariantList bindings;  // the pattern for containsColumn

    // "select * from <table> [where <column> like ?]", with the store's row
    // identity as an extra first column.
    Statement select(const SqlDialect& dialect) const;

    bool operator==(const TableQuery&) const = default;
};
