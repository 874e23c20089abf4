#include "exchange/exchange_commands.h"

#include "exchange/address_book_export.h"
#include "exchange/sheet_import.h"
#include "store/connection.h"
#include "store/dataset.h"
#include "store/statements.h"

#include <QTextStream>

namespace {

int wrongArguments(const char* line)
{
    QTextStream(stderr) << "usage: sfwaybill-cli " << line << '\n';
    return 2;
}

} // namespace

namespace ExchangeCommands {

int importSheet(const QStringList& args)
{
    if (args.size() != 1)
        return wrongArguments("import FILE");
    Connection connection;
    connection.open();
    SheetImport import(connection);
    const SheetImport::Outcome outcome = import.run(args.first());
    QTextStream err(stderr);
    err << import.report(outcome) << '\n';
    if (outcome != SheetImport::Outcome::Imported) {
        if (!import.detail().isEmpty())
            err << import.detail() << '\n';
        return 1;
    }
    return 0;
}

int exportAddressBook(const QStringList& args)
{
    if (args.size() != 1)
        return wrongArguments("export NAME");
    Connection connection;
    connection.open();
    Dataset recipients(connection);
    recipients.setStatement(Statements::selectRecipients());
    recipients.open();
    const QString written = AddressBookExport::run(recipients, args.first());
    QTextStream(stdout) << written << '\n';
    QTextStream(stderr) << QStringLiteral(u"成功导出全部数据!") << '\n';
    return 0;
}

} // namespace ExchangeCommands
