// sfwaybill-cli: the program's commands without its windows, working on
// data.mdb in the current directory. Messages go to standard error.
#include "exchange/exchange_commands.h"
#include "maintenance/database_backup.h"
#include "maintenance/temporary_files.h"
#include "store/connection_recipe.h"
#include "store/database_file.h"
#include "store/store_error.h"
#include "waybill/print_command.h"

#include <QApplication>
#include <QDir>
#include <QStringList>
#include <QTextStream>
#include <functional>
#include <map>

namespace {

QTextStream& err()
{
    static QTextStream stream(stderr);
    return stream;
}

int usage()
{
    err() << "usage: sfwaybill-cli COMMAND [ARGS]\n"
             "  init                      create an empty data.mdb here\n"
             "  backup NAME               copy data.mdb to NAME.bak (NAME if it ends in .bak)\n"
             "  restore FILE              replace data.mdb by the backup FILE\n"
          << ExchangeCommands::usage << PrintCommand::usage;
    err().flush();
    return 2;
}

int initCommand(const QStringList&)
{
    DatabaseFile::createEmpty(ConnectionRecipe::databasePath());
    return 0;
}

int backupCommand(const QStringList& args)
{
    if (args.size() != 1)
        return usage();
    const QString target = DatabaseBackup::backupFileName(args.first());
    DatabaseBackup::backup(ConnectionRecipe::databasePath(), target);
    QTextStream(stdout) << target << '\n';
    return 0;
}

int restoreCommand(const QStringList& args)
{
    if (args.size() != 1)
        return usage();
    DatabaseBackup::restore(args.first(), ConnectionRecipe::databasePath());
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    // Printing and text measuring need a GUI application; no window is shown.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty())
        return usage();
    const QString command = args.takeFirst();

    const std::map<QString, std::function<int(const QStringList&)>> commands{
        {QStringLiteral("init"), initCommand},
        {QStringLiteral("backup"), backupCommand},
        {QStringLiteral("restore"), restoreCommand},
        {QStringLiteral("print"), PrintCommand::run},
        {QStringLiteral("import"), ExchangeCommands::importSheet},
        {QStringLiteral("export"), ExchangeCommands::exportAddressBook},
    };
    const auto it = commands.find(command);
    if (it == commands.end())
        return usage();
    TemporaryFiles::removeLeftovers(QDir::currentPath());
    try {
        return it->second(args);
    } catch (const std::bad_alloc&) {
        err() << QStringLiteral(u"内存不足，命令未完成!") << '\n';
    } catch (const std::exception& e) {
        err() << QString::fromUtf8(e.what()) << '\n';
    } catch (...) {
        err() << QStringLiteral(u"未知错误，命令未完成!") << '\n';
    }
    err().flush();
    return 1;
}
