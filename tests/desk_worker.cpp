// One packing desk for desks_test: for a number of seconds it adds,
// modifies, searches and imports at random on the store it is given, and
// writes every outcome to its log, one line each:
//   added NAME | modified NAME NOTE | imported TAG ROWS | failed WHAT: WHY
//   | wrong WHAT (a search that missed a row this desk saved)
#include "exchange/sheet_import.h"
#include "store/dataset.h"
#include "store/query_sets.h"
#include "store/server_address.h"
#include "store/statements.h"
#include "store/store_error.h"
#include "store/store_session.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QSet>
#include <QTextStream>

namespace {

const QString nameColumn = QStringLiteral(u"收件人姓名");
const QString noteColumn = QStringLiteral(u"备注");

QString writeSheet(const QString& dir, const QString& tag, int rows)
{
    const QString path = QStringLiteral("%1/%2.csv").arg(dir, tag);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    QByteArray text = QStringLiteral(u"单位名称,收件人姓名,目的地,收件地址,邮政编码,联系电话,"
                                     u"手机号码,内件品名,数量,备注\n")
                          .toUtf8();
    for (int i = 0; i < rows; ++i)
        text +=
            QStringLiteral("co,%1-%2,d,a,1,2,1390000%3,x,1,n\n").arg(tag).arg(i).arg(i).toUtf8();
    f.write(text);
    return path;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 6)
        qFatal("usage: desk_worker STORE(DIR|URL) DESK SECONDS LOG SHEETDIR");
    const QString named = args.at(1);
    const StoreSession store = ServerAddress::looksLikeUrl(named)
                                   ? StoreSession(QString(), ServerAddress::parse(named))
                                   : StoreSession(named);
    const QString desk = args.at(2);
    const qint64 until = args.at(3).toLongLong() * 1000;
    QFile logFile(args.at(4));
    if (!logFile.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        qFatal("cannot write the log");
    QTextStream log(&logFile);
    const auto note = [&](const QString& line) {
        log << line << '\n';
        log.flush();
    };

    QRandomGenerator random(quint32(desk.toUInt() * 7919 + 17));
    MainQueries main(store);
    Connection importConnection(store);
    QStringList saved; // names this desk added, in order
    int serial = 0;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < until) {
        const int op = int(random.bounded(10));
        QString what;
        QElapsedTimer opClock;
        opClock.start();
        try {
            if (!main.connection.isOpen() || op == 0) {
                what = QStringLiteral("reopen");
                main.reopen();
            }
            if (op < 5) {
                const QString name = QStringLiteral("desk%1-%2").arg(desk).arg(++serial);
                what = QStringLiteral("add ") + name;
                Dataset& d = main.recipients;
                d.append();
                d.setField(nameColumn, name);
                d.setField(noteColumn, QStringLiteral("new"));
                d.post();
                saved << name;
                note(QStringLiteral("added ") + name);
            } else if (op < 7 && !saved.isEmpty()) {
                // A row this desk added, found through the name search.
                const QString name = saved.at(int(random.bounded(saved.size())));
                const QString text = QStringLiteral("m%1").arg(++serial);
                what = QStringLiteral("modify ") + name;
                Dataset& d = main.recipients;
                d.close();
                d.setQuery(Statements::searchRecipientsByName(name));
                d.open();
                int row = -1;
                for (int r = 0; r < d.recordCount(); ++r)
                    if (d.value(r, nameColumn) == name)
                        row = r;
                if (row < 0) {
                    note(QStringLiteral("wrong ") + what);
                    continue;
                }
                d.setCurrentRow(row);
                d.edit();
                d.setField(noteColumn, text);
                d.post();
                note(QStringLiteral("modified %1 %2").arg(name, text));
            } else if (op < 9) {
                // Every row this desk saved is found by the search.
                what = QStringLiteral("search");
                Dataset& d = main.recipients;
                d.close();
                d.setQuery(Statements::searchRecipientsByName(QStringLiteral("desk%1-").arg(desk)));
                d.open();
                QSet<QString> found;
                for (int r = 0; r < d.recordCount(); ++r)
                    found.insert(d.value(r, nameColumn));
                for (const QString& name : saved)
                    if (!found.contains(name))
                        note(QStringLiteral("wrong search misses ") + name);
            } else {
                const QString tag = QStringLiteral("imp%1x%2").arg(desk).arg(++serial);
                const int rows = 50 + int(random.bounded(400));
                what = QStringLiteral("import ") + tag;
                SheetImport import(importConnection);
                try {
                    import.run(writeSheet(args.at(5), tag, rows));
                    note(QStringLiteral("imported %1 %2").arg(tag).arg(rows));
                } catch (const ImportError& e) {
                    note(QStringLiteral("failed %1: %2").arg(what, e.detail()));
                }
            }
        } catch (const StoreError& e) {
            note(QStringLiteral("failed %1 after %2 ms: %3")
                     .arg(what)
                     .arg(opClock.elapsed())
                     .arg(e.text()));
        }
    }
    return 0;
}
