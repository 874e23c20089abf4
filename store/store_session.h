#pragma once

#include "store/server_address.h"

#include <QString>
#include <optional>

// Where the data lives for one run of a program: data.mdb in a folder, or
// a PostgreSQL server. Each program makes one at start (StoreChoice) and
// hands it down to its windows and commands; connections open what it
// names.
class StoreSession {
public:
    // data.mdb of the current directory at the moment a connection is
    // (re)opened, never the program's folder.
    StoreSession() = default;
    // data.mdb in `folder` (an empty one is the current directory), or the
    // server when there is one.
    explicit StoreSession(const QString& folder,
                          const std::optional<ServerAddress>& server = std::nullopt);

    // None means data.mdb.
    const std::optional<ServerAddress>& server() const { return m_server; }
    QString databasePath() const; // absolute path of data.mdb
    // The store as backups and copies name it: the server's URL, else the
    // path of data.mdb.
    QString storeName() const;
    // How to make the missing data.mdb; empty when it is there or the
    // store is a server, where that advice would send the user the wrong
    // way.
    QString missingDatabaseAdvice() const;

private:
    QString m_folder;
    std::optional<ServerAddress> m_server;
};
