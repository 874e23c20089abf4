#include "store/query_sets.h"

#include "store/schema.h"
#include "store/statements.h"
#include "store/store_error.h"

MainQueries::MainQueries() : sender(connection), recipients(connection) {}

void MainQueries::reopen()
{
    connection.close();
    sender.close();
    recipients.close();
    connection.open();
    try {
        connection.execute({Schema::createPrintLog(), {}});
    } catch (const StoreError&) {
        // A file that takes no writes still shows its rows; a print tells
        // that its log could not be written.
    }
    sender.setQuery(Statements::selectSender());
    recipients.setQuery(Statements::selectRecipients());
    sender.open();
    recipients.open();
}

PrintingQueries::PrintingQueries(const TableQuery& recipientQuery)
    : recipients(connection), sender(connection)
{
    recipients.setQuery(recipientQuery);
    sender.setQuery(Statements::selectSender());
    reopen();
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
    reopen();
}

void ImportQueries::reopen()
{
    imported.close();
    imported.setQuery(Statements::selectImported());
    imported.open();
}

void ImportQueries::search(const QString& name, const QString& mobile)
{
    if (!name.isEmpty()) {
        imported.close();
        imported.setQuery(Statements::searchImportedByName(name));
        imported.open();
    }
    if (!mobile.isEmpty()) {
        imported.close();
        imported.setQuery(Statements::searchImportedByMobile(mobile));
        imported.open();
    }
}
