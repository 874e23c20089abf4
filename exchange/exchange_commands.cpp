#include "exchange/exchange_commands.h"

#include "exchange/address_book_export.h"
#include "exchange/sheet_import.h"
#include "store/connection.h"
#include "store/dataset.h"
#include "store/statements.h"

#include <QTextStream>

namespace ExchangeCommands {

int importSheet(const QString& path)
{
    Connection connection;
    connection.open();
    SheetImport import(connection);
    const SheetImport::Outcome outcome = import.run(path);
    if (outcome == SheetImport::Outcome::Imported) {
        QTextStream(stdout) << import.report(outcome) << '\n';
        return 0;
    }
    QTextStream err(stderr);
    err << import.report(outcome) << '\n';
    if (!import.detail().isEmpty())
        err << import.detail() << '\n';
    return 1;
}

void exportAddressBook(const QString& name)
{
    Connection connection;
    connection.open();
    Dataset recipients(connection);
    recipients.setQuery(Statements::selectRecipients());
    recipients.open();
    const QString written = AddressBookExport::run(recipients, name);
    QTextStream(stdout) << written << '\n';
}

} // namespace ExchangeCommands
