#pragma once

#include "store/command_error.h"
#include "store/server_address.h"

#include <QString>
#include <QStringList>
#include <optional>

// What the option or the configuration file names is not a server that
// can be used. From the file, the text begins with the file's name (no
// argument of the call was wrong) and the detail is the reason alone.
class StoreChoiceError : public CommandError {
public:
    StoreChoiceError(const QString& text, bool fromOption, const QString& detail = {})
        : CommandError(text, detail), m_fromOption(fromOption)
    {
    }
    bool fromOption() const { return m_fromOption; }

private:
    bool m_fromOption;
};

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
// Throws StoreChoiceError when the file cannot be read.
QString configuredUrl();

// Chooses the store from an option's URL (empty when not given) and the
// configuration file; throws StoreChoiceError when what they name is not
// a server address.
void choose(const QString& optionUrl);

} // namespace StoreChoice
