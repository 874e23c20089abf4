#pragma once

#include "store/connection.h"
#include "store/dataset.h"

// A batch print window's own connection to data.mdb with its recipient
// query over every row of a table and its sender query over outrxx. Static
// cursors: they see rows saved elsewhere only after reopen().
class PrintingQueries {
public:
    // Opens both at once; throws StoreError.
    explicit PrintingQueries(const Statement& recipientStatement);

    // Closes, reconnects to data.mdb of the current directory and opens the
    // recipients, then the sender. Throws StoreError; what was not opened
    // by then stays closed.
    void reopen();

    Connection connection; // ADOConnection1
    Dataset recipients;    // ADODataSet1
    Dataset sender;        // ADODataSet2
};
