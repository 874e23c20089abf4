#pragma once

#include <QStringList>

class Connection;

// The program's tables on an open connection, whichever store it is.
namespace StoreTables {

// Which of the program's tables the store holds.
QStringList present(Connection& connection);

// Creates every table on a store that holds none of them, in one
// transaction; refuses (StoreError) a store that already holds any.
void create(Connection& connection);

// The tables of order and waybill numbers, made where they are missing:
// a store from before them gets them on first use, never again after, so a
// role that may only read and write rows works once they are there. False
// when they are missing and the store will not make them: what needs no
// numbers goes on without them. Outside a transaction.
bool ensureNumberTables(Connection& connection);

} // namespace StoreTables
