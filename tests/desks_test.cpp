// Four desks (processes) add, modify, search and import on one store at
// once: nothing lost or doubled, every reported success is in the store,
// the imported list is one import's whole list. SF_DESKS_SECONDS sets how
// long (30 s by default).
#include "store/schema.h"
#include "support/test_database.h"

#include <QHash>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class DesksTest : public QObject {
    Q_OBJECT
private slots:
    void fourDesksAtOnce();
};

void DesksTest::fourDesksAtOnce()
{
    TestDatabase db;
    const int seconds = qEnvironmentVariableIntValue("SF_DESKS_SECONDS") > 0
                            ? qEnvironmentVariableIntValue("SF_DESKS_SECONDS")
                            : 30;
    QTemporaryDir sheets;
    QList<QProcess*> desks;
    for (int desk = 1; desk <= 4; ++desk) {
        auto* p = new QProcess(this);
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p->start(QStringLiteral(SF_DESK_WORKER),
                 {db.storeArgument(), QString::number(desk), QString::number(seconds),
                  sheets.filePath(QStringLiteral("desk%1.log").arg(desk)), sheets.path()});
        desks << p;
    }
    for (QProcess* p : desks) {
        QVERIFY(p->waitForFinished((seconds + 120) * 1000));
        QCOMPARE(p->exitStatus(), QProcess::NormalExit);
        QCOMPARE(p->exitCode(), 0);
    }

    QHash<QString, QString> expectedNote; // every reported add, with its last note
    QHash<QString, int> imports;          // every reported import and its rows
    int failures = 0;
    for (int desk = 1; desk <= 4; ++desk) {
        QFile log(sheets.filePath(QStringLiteral("desk%1.log").arg(desk)));
        QVERIFY(log.open(QIODevice::ReadOnly));
        for (const QString& line :
             QString::fromUtf8(log.readAll()).split('\n', Qt::SkipEmptyParts)) {
            const QStringList w = line.split(' ');
            QVERIFY2(w.at(0) != QLatin1String("wrong"), qPrintable(line));
            if (w.at(0) == QLatin1String("added"))
                expectedNote.insert(w.at(1), QStringLiteral("new"));
            else if (w.at(0) == QLatin1String("modified"))
                expectedNote[w.at(1)] = w.at(2);
            else if (w.at(0) == QLatin1String("imported"))
                imports.insert(w.at(1), w.at(2).toInt());
            else {
                ++failures;
                qInfo("%s", qPrintable(line));
            }
        }
    }
    qInfo("%lld rows added, %lld imports, %d failures reported in %d s",
          qsizetype(expectedNote.size()), qsizetype(imports.size()), failures, seconds);
    QVERIFY(expectedNote.size() > 20);
    QVERIFY(!imports.isEmpty());

    // The address book holds exactly the reported adds, each once, each
    // with its last reported change.
    QHash<QString, QString> stored;
    for (const QStringList& row : db.rows(Schema::recipientTable)) {
        QVERIFY2(!stored.contains(row.at(1)), qPrintable(QStringLiteral("doubled ") + row.at(1)));
        stored.insert(row.at(1), row.at(9));
    }
    QCOMPARE(stored, expectedNote);

    // The imported list is one reported import, complete.
    const QList<QStringList> imported = db.rows(Schema::importedTable);
    QVERIFY(!imported.isEmpty());
    const QString tag = imported.first().at(1).section('-', 0, 0);
    QVERIFY2(imports.contains(tag), qPrintable(tag));
    QCOMPARE(imported.size(), imports.value(tag));
    for (int i = 0; i < imported.size(); ++i)
        QCOMPARE(imported.at(i).at(1), QStringLiteral("%1-%2").arg(tag).arg(i));
}

QTEST_GUILESS_MAIN(DesksTest)
#include "desks_test.moc"
