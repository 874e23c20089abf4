#pragma once

#include <QCommandLineOption>
#include <QList>
#include <QString>
#include <optional>

class QCommandLineParser;

// The options both programs take to name the store: "--data-dir DIR" (or
// "--user-data", the folder of the menu entry) instead of the current
// directory, and "--database URL" for a PostgreSQL server instead of
// data.mdb.
namespace StoreOptions {

extern const QCommandLineOption dataDir;
extern const QCommandLineOption userData;
extern const QCommandLineOption database;

QList<QCommandLineOption> all();

// The data folder the parsers' options name, "" for none; nothing when
// they name two or an empty one.
std::optional<QString> folder(const QList<const QCommandLineParser*>& parsers);
// The URL --database names, "" for none; nothing when it is given twice.
std::optional<QString> databaseUrl(const QList<const QCommandLineParser*>& parsers);

// The window program's arguments (without the program's name): the store
// options, anywhere. Nothing when one has no value or an empty one, is
// given twice, or an option is not one of them.
struct Chosen {
    QString folder;
    QString databaseUrl;
};
std::optional<Chosen> fromArguments(const QStringList& arguments);

} // namespace StoreOptions
