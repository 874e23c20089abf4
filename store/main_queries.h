#pragma once

#include "store/connection.h"
#include "store/dataset.h"

// The main window's connection with the sender query over outrxx and the
// recipient query over inrxx that the grid shows.
class MainQueries {
public:
    MainQueries();

    // Closes and reopens the connection and both queries, undoing any
    // search: the sender query stands on the sender row, the recipient
    // query holds the whole address book from its first row.
    void reopen();

    Connection connection; // ADOConnection1
    Dataset sender;        // ADOQuery1
    Dataset recipients;    // ADOQuery2
};
