#pragma once

#include <QString>

// A PostgreSQL server named by a URL,
// postgresql://user@host:port/dbname (a Unix socket folder as
// postgresql://user@/dbname?host=/run/postgresql). A password never goes
// into the URL: libpq reads it from PGPASSFILE or ~/.pgpass.
struct ServerAddress {
    QString host; // a name, an address or a socket folder; empty: libpq's default
    int port = 0; // 0: libpq's default
    QString user;
    QString database;

    // The address; throws StoreError with the reason when it is none.
    static ServerAddress parse(const QString& url);
    // Whether the text is meant as a server URL rather than a file.
    static bool looksLikeUrl(const QString& text);
    // The URL again, for messages; it never holds a password.
    QString display() const;

    bool operator==(const ServerAddress&) const = default;
};
