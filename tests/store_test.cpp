#include "store/connection.h"
#include "store/dataset.h"
#include "store/statements.h"
#include "store/store_error.h"
#include "support/test_database.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class StoreTest : public QObject {
    Q_OBJECT
private slots:
    void missingFileIsNotCreated();
    void foreignFileIsLeftAlone();
    void selectAllReturnsTheSchemaColumns();
    void staticCursorSeesOtherConnectionsOnlyAfterReopen();
    void editAppendDeleteReachTheFile();
    void searchesBindTheirText();
    void editOfARowDeletedElsewhereIsNotReportedAsSaved();
    void preparedRowsKeepWhatEachRowBound();
};

void StoreTest::missingFileIsNotCreated()
{
    TestFolder dir;
    Connection c;
    QVERIFY_THROWS_EXCEPTION(StoreError, c.open());
    QVERIFY(!QFile::exists(dir.filePath("data.mdb")));
}

void StoreTest::foreignFileIsLeftAlone()
{
    TestFolder dir;
    QByteArray junk;
    for (int i = 0; i < 5000; ++i)
        junk.append(char((i * 7919) % 251));
    QFile f(dir.filePath("data.mdb"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(junk);
    f.close();
    {
        Connection c;
        bool failed = false;
        try {
            c.open();
            Dataset d(c);
            d.setQuery(Statements::selectSender());
            d.open();
        } catch (const StoreError&) {
            failed = true;
        }
        QVERIFY(failed);
    }
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), junk);
}

void StoreTest::selectAllReturnsTheSchemaColumns()
{
    TestDatabase db;
    Connection c;
    c.open();
    Dataset sender(c), recipients(c);
    sender.setQuery(Statements::selectSender());
    recipients.setQuery(Statements::selectRecipients());
    sender.open();
    recipients.open();
    QCOMPARE(sender.columnNames().size(), 11);
    QCOMPARE(recipients.columnNames().size(), 10);
    QCOMPARE(recipients.columnNames().at(1), QStringLiteral(u"收件人姓名"));
    QCOMPARE(recipients.currentRow(), -1);
    QCOMPARE(recipients.field(QStringLiteral(u"收件人姓名")), QString());
}

void StoreTest::staticCursorSeesOtherConnectionsOnlyAfterReopen()
{
    TestDatabase db;
    Connection a, b;
    a.open();
    b.open();
    Dataset da(a), dbs(b);
    da.setQuery(Statements::selectRecipients());
    dbs.setQuery(Statements::selectRecipients());
    da.open();
    dbs.open();
    da.append();
    da.setField(QStringLiteral(u"收件人姓名"), QStringLiteral(u"张三"));
    da.post();
    QCOMPARE(da.recordCount(), 1);
    QCOMPARE(dbs.recordCount(), 0);
    dbs.close();
    dbs.open();
    QCOMPARE(dbs.recordCount(), 1);
    QCOMPARE(dbs.field(QStringLiteral(u"收件人姓名")), QStringLiteral(u"张三"));

    // Values as well as rows: a field changed elsewhere reads as it was.
    da.edit();
    da.setField(QStringLiteral(u"收件人姓名"), QStringLiteral(u"李四"));
    da.post();
    QCOMPARE(dbs.field(QStringLiteral(u"收件人姓名")), QStringLiteral(u"张三"));
    QCOMPARE(dbs.value(0, QStringLiteral(u"收件人姓名")), QStringLiteral(u"张三"));
    dbs.close();
    dbs.open();
    QCOMPARE(dbs.field(QStringLiteral(u"收件人姓名")), QStringLiteral(u"李四"));
}

void StoreTest::editAppendDeleteReachTheFile()
{
    TestDatabase db;
    db.insert("inrxx", {"a", "n1", "", "", "", "", "", "", "", ""});
    db.insert("inrxx", {"b", "n2", "", "", "", "", "", "", "", ""});
    db.insert("inrxx", {"c", "n3", "", "", "", "", "", "", "", ""});
    Connection c;
    c.open();
    Dataset d(c);
    d.setQuery(Statements::selectRecipients());
    d.open();
    d.setCurrentRow(1);
    d.edit();
    d.setField(QStringLiteral(u"单位名称"), QStringLiteral("B"));
    d.post();
    QCOMPARE(db.rows("inrxx").at(1).at(0), QStringLiteral("B"));
    QCOMPARE(db.rows("inrxx").at(1).at(1), QStringLiteral("n2"));

    d.last();
    d.deleteCurrent(); // last row gone: the previous one becomes current
    QCOMPARE(d.currentRow(), 1);
    d.first();
    d.deleteCurrent(); // first gone: the next one becomes current
    QCOMPARE(d.currentRow(), 0);
    QCOMPARE(d.field(QStringLiteral(u"单位名称")), QStringLiteral("B"));
    QCOMPARE(db.rows("inrxx").size(), 1);

    // Editing an empty dataset starts a new row holding only what was set.
    Dataset s(c);
    s.setQuery(Statements::selectSender());
    s.open();
    s.edit();
    s.setField(QStringLiteral(u"月"), QStringLiteral("13"));
    s.post();
    const auto sender = db.rows("outrxx");
    QCOMPARE(sender.size(), 1);
    QCOMPARE(sender.at(0).at(9), QStringLiteral("13"));
    QCOMPARE(sender.at(0).at(0), QStringLiteral("<null>"));
    QCOMPARE(s.field(QStringLiteral(u"单位名称")), QString());
}

void StoreTest::searchesBindTheirText()
{
    TestDatabase db;
    db.insert("inrxx", {"", QString::fromUtf8("王a\"b"), "", "", "", "", "138", "", "", ""});
    db.insert("inrxx", {"", "it's", "", "", "", "", "139", "", "", ""});
    db.insert("inrxx", {"", "plain", "", "", "", "", "", "", "", ""});
    Connection c;
    c.open();
    Dataset d(c);
    const auto count = [&](const TableQuery& s) {
        d.close();
        d.setQuery(s);
        d.open();
        return d.recordCount();
    };
    QCOMPARE(count(Statements::searchRecipientsByName("a\"b")), 1);
    QCOMPARE(count(Statements::searchRecipientsByName("'")), 1);
    QCOMPARE(count(Statements::searchRecipientsByName("%")), 3);
    QCOMPARE(count(Statements::searchRecipientsByMobile("13")), 2);
    QCOMPARE(count(Statements::searchRecipientsByName(QStringLiteral(u"王"))), 1);
}

void StoreTest::editOfARowDeletedElsewhereIsNotReportedAsSaved()
{
    TestDatabase db;
    db.insert("inrxx", {"a", "n1", "", "", "", "", "", "", "", ""});
    db.insert("inrxx", {"b", "n2", "", "", "", "", "", "", "", ""});
    Connection c;
    c.open();
    Dataset d(c);
    d.setQuery(Statements::selectRecipients());
    d.open();
    db.exec("delete from inrxx where 单位名称 = 'a'");

    d.edit();
    d.setField(QStringLiteral(u"单位名称"), QStringLiteral("A"));
    QVERIFY_THROWS_EXCEPTION(StoreError, d.post());
    // The snapshot keeps its text and is browsing again; nothing reached the file.
    QCOMPARE(d.field(QStringLiteral(u"单位名称")), QStringLiteral("a"));
    QCOMPARE(db.rows("inrxx"), (QList<QStringList>{{"b", "n2", "", "", "", "", "", "", "", ""}}));

    // An edit that changes nothing writes nothing and so cannot fail.
    d.edit();
    d.post();
    d.next();
    d.edit();
    d.setField(QStringLiteral(u"单位名称"), QStringLiteral("B"));
    d.post();
    QCOMPARE(db.rows("inrxx").at(0).at(0), QStringLiteral("B"));
}

void StoreTest::preparedRowsKeepWhatEachRowBound()
{
    // Values left bound from the row before must read as given: an empty
    // text is no NULL.
    TestDatabase db;
    Connection c;
    c.open();
    Connection::Prepared insert =
        c.prepare(QStringLiteral("INSERT INTO excel (单位名称, 收件人姓名) VALUES (?, ?)"));
    const QList<QVariantList> rows{{"", "a"}, {QString(), "a"}, {"", "b"}, {7, "b"}, {"", "b"}};
    for (const QVariantList& row : rows)
        insert.execute(row);
    QCOMPARE(db.rows("excel").size(), 5);
    QStringList first;
    for (const QStringList& row : db.rows("excel"))
        first << row.at(0) + QLatin1Char('|') + row.at(1);
    QCOMPARE(first, (QStringList{"|a", "<null>|a", "|b", "7|b", "|b"}));
}

QTEST_GUILESS_MAIN(StoreTest)
#include "store_test.moc"
