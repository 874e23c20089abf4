#pragma once

#include "store/connection.h"
#include "store/dataset.h"

class StoreSession;

// The connections and queries the windows own, built in one place. Each set
// has its own connection; static cursors see rows saved elsewhere only
// after reopen().

// The main window's: the sender query over outrxx and the recipient query
// over inrxx that the grid shows.
class MainQueries {
public:
    explicit MainQueries(const StoreSession& store);

    // Closes and reopens the connection and both queries, undoing any
    // search: the sender query stands on the sender row, the recipient
    // query holds the whole address book from its first row.
    void reopen();

    Connection connection; // ADOConnection1
    Dataset sender;        // ADOQuery1
    Dataset recipients;    // ADOQuery2
};

// A batch print window's: every row of a recipient table and the sender.
class PrintingQueries {
public:
    enum class Rows { ReadNow, ReadOnReopen };
    // Connects at once (throws StoreError). A window that reopens on every
    // activation leaves the queries closed until then, its tables only
    // tried: its copy of them would be read again before anyone sees it.
    PrintingQueries(const StoreSession& store, const TableQuery& recipientQuery,
                    Rows rows = Rows::ReadNow);

    // Closes, reconnects to the store and opens the recipients, then the
    // sender. Throws StoreError; what was not opened by then stays closed.
    void reopen();

    Connection connection; // ADOConnection1
    Dataset recipients;    // ADODataSet1
    Dataset sender;        // ADODataSet2
};

// The import window's: the imported rows of table excel.
class ImportQueries {
public:
    // Connects at once and tries the table; throws StoreError. The rows
    // are read by list().
    explicit ImportQueries(const StoreSession& store);

    // Every imported row, unless reopen() or search() chose the rows
    // already: the window lists them when it is first shown, not at start.
    void list();
    // Every imported row, undoing a search; throws StoreError.
    void reopen();
    // The rows whose column contains the text (mobile wins over name, as
    // in the main window); throws StoreError.
    void search(const QString& name, const QString& mobile);

    Connection connection; // ADOConnection1
    Dataset imported;      // ADOQuery1

private:
    bool m_listed = false;
};
