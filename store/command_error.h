#pragma once

#include <QString>
#include <stdexcept>
#include <string>

// The one base of the errors that end a command: the database (StoreError),
// a sheet (SheetError), printing (PrintError), backup and restore
// (BackupError). Each entry point catches it in one place: the windows'
// error report shows its text, the command line prints it and exits 1.
// The text, kept as UTF-8 in what(), is the user's message; the detail,
// when there is one, the engine's reason behind it, for logs.
class CommandError : public std::runtime_error {
public:
    explicit CommandError(const QString& text, const QString& detail = {})
        : std::runtime_error(text.toStdString()), m_detail(detail)
    {
    }
    explicit CommandError(const std::string& text) : std::runtime_error(text) {}
    explicit CommandError(const char* text) : std::runtime_error(text) {}
    QString text() const { return QString::fromUtf8(what()); }
    QString detail() const { return m_detail; }

private:
    QString m_detail;
};
