#include "exchange/exchange_commands.h"

#include "exchange/address_book_export.h"
#include "exchange/csv_writer.h"
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

QByteArray addressBookCsv(const StoreSession& store)
{
    return withRecipients(store, [](Dataset& recipients) {
        return CsvWriter::write(AddressBookExport::rows(recipients));
    });
}

} // namespace ExchangeCommands
