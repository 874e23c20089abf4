#pragma once

#include "waybill/print_command.h"

#include <QStringList>

class StoreSession;

// sfwaybill-cli's arguments: the store options, then a command of
// commandList() with its options and operands. Exit statuses: 0 done, 1 failed (the reason on
// standard error), 2 wrong arguments (the usage on standard error), 3 for print
// --strict when a text does not print whole; --help or -h
// prints the usage on standard output and gives 0.
namespace CommandLine {

// `arguments` without the program's name. `printer` is empty when the
// program was built without printer support. `store` becomes the store the
// options name before the command runs, for the caller's report of an
// error the command threw.
int run(const QStringList& arguments, const PrinterOutput& printer, StoreSession& store);

// Whether the command the arguments name draws pages; read before the
// application exists, to choose which one to make.
bool drawsPages(const QStringList& arguments);

} // namespace CommandLine
