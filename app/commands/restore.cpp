#include "app/commands/restore.h"

#include "maintenance/database_backup.h"
#include "store/store_session.h"

namespace Commands {

Restore::Restore()
    : Command(QStringLiteral("restore"), QStringLiteral("FILE"),
              QStringLiteral("replace data.mdb by the backup FILE"), 1)
{
}

int Restore::run(const QCommandLineParser& p, const StoreSession& store) const
{
    DatabaseBackup::restore(p.positionalArguments().first(), store.storeName());
    return 0;
}

} // namespace Commands
