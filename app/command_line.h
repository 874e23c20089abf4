#pragma once

#include "app/commands/command.h"

#include <QStringList>
#include <memory>
#include <vector>

class StoreSession;

// sfwaybill-cli's arguments: the store options, then a command of
// the command set (commands/command_list.h) with its options and operands. Exit statuses: 0 done, 1
// failed (the reason on standard error), 2 wrong arguments (the usage on standard error), 3 for
// print
// --strict when a text does not print whole; --help or -h
// prints the usage on standard output and gives 0.
namespace CommandLine {

using CommandSet = std::vector<std::unique_ptr<Command>>;

// `arguments` without the program's name; `commands` those it may name.
// `store` becomes the store the options name before the command runs, for
// the caller's report of an error the command threw.
int run(const QStringList& arguments, const CommandSet& commands, StoreSession& store);

// Whether the command the arguments name draws pages; read before the
// application exists, to choose which one to make.
bool drawsPages(const QStringList& arguments, const CommandSet& commands);

} // namespace CommandLine
