#pragma once

#include <QString>
#include <QStringList>

class Connection;

// The shape of a store's tables, brought up to this program's once, when a
// connection opens, and never on the way of a print or a read. Version 1
// is the three waybill tables; each later version is one step below.
namespace SchemaSteps {

// The version a store made or brought up to date by this program holds.
int current();

// What opening left of the program's tables.
struct State {
    QStringList missing; // tables of Schema::tables() the store lacks
    QString failure;     // the engine's reason they could not be made
};

// Takes the steps the store lacks, in one transaction, when it is behind or
// lacks one of the program's tables; a store without the waybill tables is
// no store of ours yet (init makes them) and is left alone. Throws nothing:
// a store that may not change (a read-only file, a role without CREATE)
// keeps its shape, and the state says what it lacks and why.
State bringUpToDate(Connection& connection);

// Records the current version, inside the caller's transaction, on a store
// whose tables were all just made.
void stamp(Connection& connection);

} // namespace SchemaSteps
