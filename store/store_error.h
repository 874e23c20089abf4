#pragma once

#include <QString>
#include <stdexcept>

// An error a command does not handle itself; the application-wide error
// report shows its text. The text is kept as UTF-8 in what().
class CommandError : public std::runtime_error {
public:
    explicit CommandError(const QString& text) : std::runtime_error(text.toStdString()) {}
    QString text() const { return QString::fromUtf8(what()); }
};

// The database engine refused something: opening, a statement, a write.
class StoreError : public CommandError {
public:
    using CommandError::CommandError;
};
