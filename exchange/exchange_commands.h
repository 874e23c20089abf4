#pragma once

#include "exchange/csv_writer.h"
#include "store/command_error.h"

#include <QString>
#include <functional>

class StoreSession;

// The import of "导 入" and the export of "数据导出" on a store, for the
// command line: what was done comes back as text, a failure as a
// CommandError.
namespace ExchangeCommands {

// The import's report; `progress` hears of the rows written. Throws
// ImportError (exchange/sheet_import.h).
QString importSheet(const StoreSession& store, const QString& path,
                    const std::function<void(int done, int total)>& progress = {});
// The whole address book into NAME as the export window writes it; or,
// with `csv`, as comma-separated UTF-8 text into NAME (".csv" appended
// unless there). Gives the file written; throws CommandError when nothing
// could be written.
QString exportAddressBook(const StoreSession& store, const QString& name, bool csv = false);
// The whole address book as comma-separated UTF-8 text, to `out` a piece
// at a time once every row is found fit.
void addressBookCsv(const StoreSession& store, const CsvWriter::Out& out);

} // namespace ExchangeCommands
