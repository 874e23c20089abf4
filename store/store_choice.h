#pragma once

#include "store/server_address.h"

#include <QString>
#include <QStringList>
#include <optional>

// Which store every connection opens: a PostgreSQL server named by
// --database URL, else by the line "database=URL" of the configuration
// file, else data.mdb as always.
namespace StoreChoice {

// The server in force; none means data.mdb.
std::optional<ServerAddress> server();
void setServer(const std::optional<ServerAddress>& address);

// The store in force as backups and copies name it: the server's URL, else
// the path of data.mdb.
QString storeName();

// How to make the missing data.mdb; empty when it is there or the store
// is a server, where that advice would send the user the wrong way.
QString missingDatabaseAdvice();

// $XDG_CONFIG_HOME/sfwaybill/sfwaybill.conf, by default
// ~/.config/sfwaybill/sfwaybill.conf.
QString configFile();

// The URL of the configuration file's database line; empty without one.
// False with the reason when the file cannot be read.
bool configuredUrl(QString* url, QString* error);

// Chooses the store from an option's URL (empty when not given) and the
// configuration file; false with the reason when what they name is not a
// server address.
bool choose(const QString& optionUrl, QString* error);

} // namespace StoreChoice
