// sfwaybill: creates every window once, in a fixed order, and runs until
// the main window closes.
#include "app/program_start.h"
#include "app/program_windows.h"
#include "app/qt_dialogs.h"
#include "records/windows/main_window.h"
#include "store/command_error.h"
#include "store/data_folder.h"
#include "store/store_choice.h"
#include "store/store_options.h"
#include "store/temporary_files.h"
#include "ui/widgets.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    ProgramStart::prepare(app);
    QtDialogs dialogs;
    Dialogs::install(&dialogs);
    QTextStream err(stderr);

    const std::optional<StoreOptions::Chosen> store =
        StoreOptions::fromArguments(app.arguments().mid(1));
    if (!store) {
        err << "usage: sfwaybill [--data-dir DIR | --user-data] [--database URL]\n";
        return 2;
    }
    const QString& dataFolder = store->folder;
    // Where the data lives, for every window of the run.
    StoreSession session;
    try {
        session = StoreChoice::choose(dataFolder, store->databaseUrl);
        if (!dataFolder.isEmpty())
            DataFolder::prepare(dataFolder);
    } catch (const CommandError& e) {
        // Started from the menu, a wrong configuration line shows nowhere else.
        return ProgramStart::failed(e, {}, err);
    }

    // What a killed run of either program left beside the database.
    TemporaryFiles::removeLeftovers(QFileInfo(session.databasePath()).absolutePath());

    const std::unique_ptr<ProgramWindows> windows = ProgramStart::windows(session, err);
    if (!windows)
        return 1;
    Widgets::centreOnScreen(&windows->mainWindow());
    windows->mainWindow().show();
    return app.exec();
}
