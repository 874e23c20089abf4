#pragma once

#include <QStringList>

// sfwaybill-cli import FILE / export NAME: the import of "导 入" and the
// export of "数据导出" on data.mdb in the current directory. Messages go to
// standard error; a failure gives a non-zero status.
namespace ExchangeCommands {

inline constexpr const char* usage =
    "  import FILE               replace the imported list by Sheet1 of FILE\n"
    "  export NAME               write the address book to NAME.xls (or NAME.xlsx)\n";

int importSheet(const QStringList& args);
int exportAddressBook(const QStringList& args);

} // namespace ExchangeCommands
