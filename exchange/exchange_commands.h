#pragma once

#include <QString>

// sfwaybill-cli import FILE / export NAME: the import of "导 入" and the
// export of "数据导出" on data.mdb in the current directory. What was done
// goes to standard output (the import's report, the file the export wrote),
// a failure's message and reason to standard error.
namespace ExchangeCommands {

// 0 when imported, 1 when not.
int importSheet(const QString& path);
// Throws CommandError when nothing could be written.
void exportAddressBook(const QString& name);

} // namespace ExchangeCommands
