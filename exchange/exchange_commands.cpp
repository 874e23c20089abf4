#include "exchange/exchange_commands.h"

#include "exchange/address_book_export.h"
#include "exchange/csv_writer.h"
#include "exchange/sheet_error.h"
#include "exchange/sheet_file.h"
#include "exchange/sheet_import.h"
#include "store/connection.h"
#include "store/dataset.h"
#include "store/plain_text.h"
#include "store/statements.h"

#include <QFile>
#include <QTextStream>

namespace ExchangeCommands {

int importSheet(const QString& path, const std::function<void(int done, int total)>& progress)
{
    Connection connection;
    connection.open();
    SheetImport import(connection);
    import.setProgress(progress);
    const SheetImport::Outcome outcome = import.run(path);
    if (outcome == SheetImport::Outcome::Imported) {
        QTextStream(stdout) << import.report(outcome) << '\n';
        return 0;
    }
    QTextStream err(stderr);
    const QString report = import.report(outcome);
    err << report << '\n';
    // The reason for logs, unless the report already gave it.
    if (!import.detail().isEmpty() && !report.contains(import.detail()))
        err << import.detail() << '\n';
    return 1;
}

void exportAddressBook(const QString& name, bool csv)
{
    Connection connection;
    connection.open();
    Dataset recipients(connection);
    recipients.setQuery(Statements::selectRecipients());
    recipients.open();
    if (!csv) {
        QTextStream(stdout) << PlainText::oneLine(AddressBookExport::run(recipients, name)) << '\n';
        return;
    }
    if (!name.isEmpty()) {
        QTextStream(stdout) << PlainText::oneLine(AddressBookExport::runCsv(recipients, name))
                            << '\n';
        return;
    }
    const QByteArray text = CsvWriter::write(AddressBookExport::rows(recipients));
    QFile out;
    if (!out.open(stdout, QIODevice::WriteOnly) || out.write(text) != text.size())
        throw SheetError(QStringLiteral(u"导出失败：%1").arg(out.errorString()));
}

} // namespace ExchangeCommands
