#pragma once

#include <QString>
#include <QStringList>

// sfwaybill-cli as a script runs it, in the current folder.
struct CommandLineRun {
    int status = -1; // -1: it crashed or did not end within a minute
    QString out;
    QString err;
};

// With `standardOutputFile`, standard output goes to that file instead.
CommandLineRun runCommandLine(const QStringList& args, const QString& standardOutputFile = {});
// With `input` on its standard input.
CommandLineRun runCommandLineWithInput(const QStringList& args, const QByteArray& input);
