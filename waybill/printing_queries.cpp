#include "waybill/printing_queries.h"

#include "store/statements.h"

PrintingQueries::PrintingQueries(const Statement& recipientStatement)
    : recipients(connection), sender(connection)
{
    recipients.setStatement(recipientStatement);
    sender.setStatement(Statements::selectSender());
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
