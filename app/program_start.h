#pragma once

#include <QString>
#include <memory>

class CommandError;
class ProgramWindows;
class QApplication;
class QTextStream;
class StoreSession;

// The window program's edge for what stops its start: a wrong store, a
// data folder that cannot be made, a database that cannot be opened.
namespace ProgramStart {

// The application's name, icon, fonts and Qt's own texts in Chinese: what
// every window is made with, in the program and in its benchmarks alike.
void prepare(QApplication& app);

// Shows the error in the error report with `advice` below it, and writes
// both to `err` for a start from a terminal. Gives the exit status: 2 for
// a wrong --database, else 1.
int failed(const CommandError& error, const QString& advice, QTextStream& err);

// Every window on `store`; none when the database cannot be worked on,
// once failed() told why, with how to make a database when there is none.
std::unique_ptr<ProgramWindows> windows(const StoreSession& store, QTextStream& err);

} // namespace ProgramStart
