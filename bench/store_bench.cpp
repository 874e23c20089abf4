// The store's own costs on data.mdb or a server, for bench/stores.sh:
// the main window's reopen (connection, sender, whole address book: what
// start-up waits for), a name search, and an import of a sheet.
// usage: store-bench STORE(DIR|URL) SHEET
#include "bench/bench_measures.h"
#include "exchange/sheet_import.h"
#include "store/query_sets.h"
#include "store/statements.h"
#include "store/store_session.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        QTextStream(stderr) << "usage: store-bench STORE(DIR|URL) SHEET\n";
        return 2;
    }
    const StoreSession store = BenchMeasures::storeNamed(args.at(1));
    QTextStream out(stdout);
    QElapsedTimer t;

    MainQueries main(store);
    t.start();
    main.reopen();
    out << "reopen_ms " << t.nsecsElapsed() / 1e6 << " rows " << main.recipients.recordCount()
        << '\n';

    const int searches = 20;
    int found = 0;
    t.restart();
    for (int i = 0; i < searches; ++i) {
        main.recipients.close();
        main.recipients.setQuery(
            Statements::searchRecipientsByName(QStringLiteral(u"收件人%1").arg(i * 97 + 5)));
        main.recipients.open();
        found += main.recipients.recordCount();
    }
    out << "search_ms " << t.nsecsElapsed() / 1e6 / searches << " found " << found << '\n';

    Connection connection(store);
    SheetImport import(connection);
    t.restart();
    bool imported = true;
    try {
        import.run(args.at(2));
    } catch (const ImportError&) {
        imported = false;
    }
    out << "import_ms " << t.nsecsElapsed() / 1e6 << " rows " << import.importedRows()
        << (imported ? "" : " FAILED") << '\n';
    return imported ? 0 : 1;
}
