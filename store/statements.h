#pragma once

#include "store/statement.h"
#include "store/table_query.h"

#include <QStringList>

// Every statement the program runs against data.mdb.
namespace Statements {

TableQuery selectSender();     // select * from outrxx
TableQuery selectRecipients(); // select * from inrxx
TableQuery selectImported();   // select * from excel
// Name, address and mobile of every recipient, to find one already there.
Statement selectRecipientKeys();

// Column contains the text anywhere; % in the text still matches any run.
TableQuery searchRecipientsByName(const QString& text);
TableQuery searchRecipientsByMobile(const QString& text);
TableQuery searchImportedByName(const QString& text);
TableQuery searchImportedByMobile(const QString& text);

Statement deleteImported(); // Delete From excel

// One row into excel; the ten recipient columns bound in schema order.
Statement insertImported(const SqlDialect& dialect, const QStringList& values);

// A dataset's row edits, the row addressed by the store's row identity.
Statement insertRow(const SqlDialect& dialect, const QString& table, const QStringList& columns,
                    const QVariantList& values);
Statement updateRow(const QString& table, const QStringList& columns, const QVariantList& values,
                    const QString& identity, const QVariant& row);
Statement deleteRow(const QString& table, const QString& identity, const QVariant& row);
Statement deleteRows(const QString& table, const QString& identity, const QVariantList& rows);

} // namespace Statements
