#include "store/query_sets.h"

#include "store/statements.h"

MainQueries::MainQueries(const StoreSession& store)
    : connection(store), sender(connection), recipients(connection)
{
    // A screen at a time from a book of up to a million rows.
    recipients.setCompressed(true);
    // "查 询" over a million rows in memory, not a scan of the table.
    recipients.setSearchable(
        {Statements::searchRecipientsByName({}), Statements::searchRecipientsByMobile({})});
}

void MainQueries::reopen()
{
    connection.close();
    sender.close();
    recipients.close();
    connection.open();
    sender.setQuery(Statements::selectSender());
    recipients.setQuery(Statements::selectRecipients());
    sender.open();
    recipients.open();
}

PrintingQueries::PrintingQueries(const StoreSession& store, const TableQuery& recipientQuery,
                                 Rows rows)
    : connection(store), recipients(connection), sender(connection)
{
    // The pages walk the rows once, from the first to the last; the
    // preview needs their number before the last is read.
    recipients.setCompressed(true);
    recipients.setCountedFirst(true);
    // "其中 N 页今天已打印过" looks at the pages of today's recipients only.
    recipients.setRecipientKeys(true);
    recipients.setQuery(recipientQuery);
    sender.setQuery(Statements::selectSender());
    if (rows == Rows::ReadNow) {
        reopen();
        return;
    }
    // A table the window could never read stops the start as reading it
    // there did.
    connection.open();
    recipients.probe();
    sender.probe();
}

void PrintingQueries::reopen()
{
    connection.close();
    recipients.close();
    sender.close();
    connection.open();
    recipients.open();
    sender.open();
}

ImportQueries::ImportQueries(const StoreSession& store) : connection(store), imported(connection)
{
    imported.setCompressed(true);
    connection.open();
    imported.setQuery(Statements::selectImported());
    imported.probe();
}

void ImportQueries::list()
{
    if (!m_listed)
        reopen();
}

void ImportQueries::reopen()
{
    m_listed = true;
    imported.reopen(Statements::selectImported());
}

void ImportQueries::search(const QString& name, const QString& mobile)
{
    m_listed = m_listed || !name.isEmpty() || !mobile.isEmpty();
    if (!name.isEmpty())
        imported.reopen(Statements::searchImportedByName(name));
    if (!mobile.isEmpty())
        imported.reopen(Statements::searchImportedByMobile(mobile));
}
