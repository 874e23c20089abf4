#pragma once

#include <QString>

// sfwaybill-cli import FILE / export NAME: the import of "导 入" and the
// export of "数据导出" on data.mdb in the current directory. Messages go to
// standard error; the export prints the file it wrote.
namespace ExchangeCommands {

// 0 when imported, 1 with the window's message and the reason otherwise.
int importSheet(const QString& path);
// Throws CommandError when nothing could be written.
void exportAddressBook(const QString& name);

} // namespace ExchangeCommands
