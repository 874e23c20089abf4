#include "store/query_sets.h"

#include "store/statements.h"

MainQueries::MainQueries() : sender(connection), recipients(connection) {}

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

PrintingQueries::PrintingQueries(const TableQuery& recipientQuery, Rows rows)
    : recipients(connection), sender(connection)
{
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

ImportQueries::ImportQueries() : imported(connection)
{
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
