#include "app/commands/restore.h"

#include "maintenance/database_backup.h"
#include "store/store_choice.h"

namespace Commands {

Restore::Restore()
    : Command(QStringLiteral("restore"), QStringLiteral("FILE"),
              QStringLiteral("replace data.mdb by the backup FILE"), 1)
{
}

int Restore::run(const QCommandLineParser& p) const
{
    DatabaseBackup::restore(p.positionalArguments().first(), StoreChoice::storeName());
    return 0;
}

} // namespace Commands
