#include "store/main_queries.h"

#include "store/statements.h"

MainQueries::MainQueries() : sender(connection), recipients(connection) {}

void MainQueries::reopen()
{
    connection.close();
    sender.close();
    recipients.close();
    connection.open();
    sender.setStatement(Statements::selectSender());
    recipients.setStatement(Statements::selectRecipients());
    sender.open();
    recipients.open();
}
