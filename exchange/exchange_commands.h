#pragma once

#include <QString>
#include <functional>

// sfwaybill-cli import FILE / export NAME: the import of "导 入" and the
// export of "数据导出" on data.mdb in the current directory. What was done
// goes to standard output (the import's report, the file the export wrote),
// a failure's message and reason to standard error.
namespace ExchangeCommands {

// 0 when imported, 1 when not; `progress` hears of the rows written.
int importSheet(const QString& path, const std::function<void(int done, int total)>& progress = {});
// The whole address book: into NAME as the export window writes it; or,
// with `csv`, as comma-separated UTF-8 text into NAME (".csv" appended
// unless there) or onto standard output when NAME is empty. Throws
// CommandError when nothing could be written.
void exportAddressBook(const QString& name, bool csv = false);

} // namespace ExchangeCommands
