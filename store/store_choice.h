#pragma once

#include "store/command_error.h"
#include "store/store_session.h"

#include <QString>

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

// Which store a program works on: a PostgreSQL server named by --database
// URL, else by the line "database=URL" of the configuration file, else
// data.mdb as always.
namespace StoreChoice {

// $XDG_CONFIG_HOME/sfwaybill/sfwaybill.conf, by default
// ~/.config/sfwaybill/sfwaybill.conf.
QString configFile();

// The URL of the configuration file's database line; empty without one.
// Throws StoreChoiceError when the file cannot be read.
QString configuredUrl();

// The store of the data folder named (empty: the current directory), an
// option's URL (empty when not given) and the configuration file; throws
// StoreChoiceError when what they name is not a server address.
StoreSession choose(const QString& folder, const QString& optionUrl);

} // namespace StoreChoice
