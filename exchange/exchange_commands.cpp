#include "exchange/exchange_commands.h"

#include "exchange/address_book_export.h"
#include "exchange/sheet_import.h"
#include "store/connection.h"
#include "store/dataset.h"
#include "store/statements.h"

namespace ExchangeCommands {

namespace {

// `use` of the recipients as "数据导出" reads them.
template <class Use> auto withRecipients(const StoreSession& store, Use use)
{
    Connection connection(store);
    connection.open();
    Dataset recipients(connection);
    // Walked once from the first row to the last, as the main window keeps them.
    recipients.setCompressed(true);
    recipients.setQuery(Statements::selectRecipients());
    recipients.open();
    return use(recipients);
}

} // namespace

QString importSheet(const StoreSession& store, const QString& path,
                    const std::function<void(int done, int total)>& progress)
{
    Connection connection(store);
    connection.open();
    SheetImport import(connection);
    import.setProgress(progress);
    import.run(path);
    return import.report();
}

QString exportAddressBook(const StoreSession& store, const QString& name, bool csv)
{
    return withRecipients(store, [&](Dataset& recipients) {
        return csv ? AddressBookExport::runCsv(recipients, name)
                   : AddressBookExport::run(recipients, name);
    });
}

void addressBookCsv(const StoreSession& store, const CsvWriter::Out& out)
{
    withRecipients(store,
                   [&](Dataset& recipients) { AddressBookExport::writeCsv(recipients, out); });
}

} // namespace ExchangeCommands
