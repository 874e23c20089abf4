#include "app/commands/backup.h"

#include "maintenance/database_backup.h"
#include "store/plain_text.h"
#include "store/store_session.h"

#include <QTextStream>

namespace Commands {

Backup::Backup()
    : Command(QStringLiteral("backup"), QStringLiteral("NAME"),
              QStringLiteral("copy data.mdb to NAME.bak (.bak always appended)"), 1)
{
}

int Backup::run(const QCommandLineParser& p, const StoreSession& store) const
{
    const QString target = DatabaseBackup::backupFileName(p.positionalArguments().first());
    DatabaseBackup::backup(store.storeName(), target);
    out() << PlainText::oneLine(target) << '\n';
    return 0;
}

} // namespace Commands
