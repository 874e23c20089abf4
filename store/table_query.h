#pragma once

#include "store/statement.h"

// What a dataset reads: every column of one table in the table's order,
// optionally narrowed by a condition on bound values. The dataset writes
// its edits back to that table.
struct TableQuery {
    QString table;
    QString condition; // with "?" markers; empty for every row
    QVariantList bindings;

    // "select * from <table> [where <condition>]", with `identity` (the
    // store's row identity) as an extra first column when it is given.
    Statement select(const QString& identity = {}) const;

    bool operator==(const TableQuery&) const = default;
};
