#pragma once

#include <QString>
#include <stdexcept>
#include <string>

// The one base of the errors that end a command: the database (StoreError),
// a sheet (SheetError), printing (PrintError), backup and restore
// (BackupError). Each entry point catches it in one place: the windows'
// error report shows its text, the command line prints it and exits 1.
// The text is kept as UTF-8 in what().
class CommandError : public std::runtime_error {
public:
    explicit CommandError(const QString& text) : std::runtime_error(text.toStdString()) {}
    explicit CommandError(const std::string& text) : std::runtime_error(text) {}
    explicit CommandError(const char* text) : std::runtime_error(text) {}
    QString text() const { return QString::fromUtf8(what()); }
};
