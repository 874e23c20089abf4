// Backups, restores and copies between the two stores: whichever store the
// tests run on, its rows go to an SQLite .bak and data.mdb and come back the
// same.
#include "maintenance/database_backup.h"
#include "maintenance/store_copy.h"
#include "store/schema.h"
#include "store/store_error.h"
#include "store/store_session.h"
#include "support/database_files.h"
#include "support/test_database.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

class StoreCopyTest : public QObject {
    Q_OBJECT
private slots:
    void backupRestoresToEitherStore();
    void copyRefusesATargetWithRows();
    void copiesKeepWhatABulkWriteEscapes();
};

namespace {

QList<QStringList> recipients()
{
    return {{"", QString::fromUtf8("张三"), "", "a", "", "", "139", "", "", ""},
            {"co", "n%_\\", "d", "", "1", "2", "3", "4", "5", "6"}};
}

QMap<QString, QList<QStringList>> everyRow(const TestDatabase& db)
{
    QMap<QString, QList<QStringList>> rows;
    for (const Schema::Table& t : Schema::tables())
        rows.insert(t.name, db.rows(t.name));
    return rows;
}

} // namespace

void StoreCopyTest::backupRestoresToEitherStore()
{
    TestDatabase db;
    for (const QStringList& r : recipients())
        db.insert(Schema::recipientTable, r);
    db.insert(Schema::importedTable, recipients().at(1));
    db.insert(Schema::senderTable, {"", "me"}); // the rest NULL
    // The server keeps an updated row elsewhere; its copies keep the order.
    db.exec("update inrxx set 收件地址 = 'b' where 收件地址 = 'a'");
    const auto before = everyRow(db);
    QTemporaryDir elsewhere;
    const QString bak = elsewhere.filePath("one.bak");
    DatabaseBackup::backup(db.session().storeName(), bak);

    // Into a data.mdb: the same rows, NULLs included.
    const QString file = elsewhere.filePath("data.mdb");
    QCOMPARE(StoreCopy::copy(bak, file), 4);
    QStringList expected;
    for (auto it = before.begin(); it != before.end(); ++it)
        for (const QStringList& r : it.value())
            expected << it.key() + '|' + r.join('|');
    expected.sort();
    QStringList copied = DatabaseFiles::tablesOf(file);
    copied.sort();
    QCOMPARE(copied.join('\n').replace(QStringLiteral("<null>"), QString()),
             expected.join('\n').replace(QStringLiteral("<null>"), QString()));

    // And back over changed rows of the store in use.
    db.exec("delete from inrxx");
    db.insert(Schema::recipientTable, {"", "later"});
    DatabaseBackup::restore(bak, db.session().storeName());
    QCOMPARE(everyRow(db), before);
}

void StoreCopyTest::copiesKeepWhatABulkWriteEscapes()
{
    TestDatabase db;
    db.insert(Schema::recipientTable,
              {"tab\there", "back\\slash", "line\nbreak", "cr\rhere", "\\N", ""}); // the rest NULL
    const auto before = everyRow(db);
    QTemporaryDir elsewhere;
    const QString bak = elsewhere.filePath("one.bak");
    DatabaseBackup::backup(db.session().storeName(), bak);
    db.exec("delete from inrxx");
    DatabaseBackup::restore(bak, db.session().storeName());
    QCOMPARE(everyRow(db), before);
}

void StoreCopyTest::copyRefusesATargetWithRows()
{
    TestDatabase db;
    db.insert(Schema::recipientTable, recipients().at(0));
    QTemporaryDir elsewhere;
    const QString file = elsewhere.filePath("data.mdb");
    QCOMPARE(StoreCopy::copy(db.session().storeName(), file), 1);
    QVERIFY_THROWS_EXCEPTION(CommandError, StoreCopy::copy(file, db.session().storeName()));
    QCOMPARE(db.rows(Schema::recipientTable).size(), 1);
    QVERIFY_THROWS_EXCEPTION(CommandError, StoreCopy::copy(file, file));

    // A copy that fails leaves no file it made.
    db.exec(QStringLiteral(u"alter table inrxx rename column 备注 to gone"));
    const QString made = elsewhere.filePath("made.mdb");
    QVERIFY_THROWS_EXCEPTION(CommandError, StoreCopy::copy(db.session().storeName(), made));
    QVERIFY(!QFileInfo::exists(made));
}

QTEST_GUILESS_MAIN(StoreCopyTest)
#include "store_copy_test.moc"
