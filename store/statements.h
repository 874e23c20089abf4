#pragma once

#include "store/statement.h"

// Every statement the program runs against data.mdb.
namespace Statements {

Statement selectSender();     // select * from outrxx
Statement selectRecipients(); // select * from inrxx
Statement selectImported();   // select * from excel
// Name, address and mobile of every recipient, to find one already there.
Statement selectRecipientKeys();

// Column contains the text anywhere; % in the text still matches any run.
Statement searchRecipientsByName(const QString& text);
Statement searchRecipientsByMobile(const QString& text);
Statement searchImportedByName(const QString& text);
Statement searchImportedByMobile(const QString& text);

Statement deleteImported(); // Delete From excel

// One row into excel; the ten recipient columns bound in schema order.
Statement insertImported(const QStringList& values);

} // namespace Statements
