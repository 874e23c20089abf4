#pragma once

#include <QStringList>

class Connection;

// The program's tables on an open connection, whichever store it is.
namespace StoreTables {

// Which of the program's tables the store holds.
QStringList present(Connection& connection);

// Creates every table on a store that holds none of them, with the
// current version, in one transaction; refuses (StoreError) a store that
// already holds any.
void create(Connection& connection);

} // namespace StoreTables
