#include "app/commands/init.h"

#include "store/connection.h"
#include "store/database_file.h"
#include "store/store_session.h"
#include "store/store_tables.h"

namespace Commands {

Init::Init()
    : Command(QStringLiteral("init"), QString(),
              QStringLiteral("create an empty data.mdb here (with --database: the tables on an "
                             "empty PostgreSQL database)"))
{
}

int Init::run(const QCommandLineParser&, const StoreSession& store) const
{
    if (!store.server()) {
        DatabaseFile::createEmpty(store.databasePath());
        return 0;
    }
    Connection connection(store);
    connection.open();
    StoreTables::create(connection);
    return 0;
}

} // namespace Commands
