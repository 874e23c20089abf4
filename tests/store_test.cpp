#include "exchange/sheet_import.h"
#include "store/connection.h"
#include "store/dataset.h"
#include "store/schema.h"
#include "store/server_address.h"
#include "store/spooled_rows.h"
#include "store/statements.h"
#include "store/store_error.h"
#include "support/sample_sheets.h"
#include "support/test_database.h"
#include "waybill/print_log.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

class StoreTest : public QObject {
    Q_OBJECT
private slots:
    void missingFileIsNotCreated();
    void foreignFileIsLeftAlone();
    void selectAllReturnsTheSchemaColumns();
    void staticCursorSeesOtherConnectionsOnlyAfterReopen();
    void editAppendDeleteReachTheFile();
    void searchesBindTheirText();
    void searchesOfTheRowsReadListWhatTheStoreLists();
    void searchesStayInMemoryAfterOurWritesElsewhere();
    void editOfARowDeletedElsewhereIsNotReportedAsSaved();
    void deleteAllTakesTheListedRowsOrNone();
    void anotherDesksRowUnderAFreedIdentityIsLeftAlone();
    void snapshotReadsEveryKindOfStoredValueAsText();
    void serverAddresses_data();
    void serverAddresses();
    void compressedSnapshotReadsAsThePlainOne();
    void rowsStillBeingReadAreOneSnapshot();
    void aLongReadLetsAnotherDeskWriteAndStaysOneState();
    void spooledRowsReadAsTheSnapshotOfADataset();
    void preparedRowsKeepWhatEachRowBound();
};

void StoreTest::missingFileIsNotCreated()
{
    SKIP_ON_SERVER();
    TestFolder dir;
    Connection c(currentDirectoryStore());
    QVERIFY_THROWS_EXCEPTION(StoreError, c.open());
    QVERIFY(!QFile::exists(dir.filePath("data.mdb")));
}

void StoreTest::foreignFileIsLeftAlone()
{
    SKIP_ON_SERVER();
    TestFolder dir;
    QByteArray junk;
    for (int i = 0; i < 5000; ++i)
        junk.append(char((i * 7919) % 251));
    QFile f(dir.filePath("data.mdb"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(junk);
    f.close();
    {
        Connection c(currentDirectoryStore());
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
    Connection c(db.session());
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
    Connection a(db.session()), b(db.session());
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
    Connection c(db.session());
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
    Connection c(db.session());
    c.open();
    Dataset d(c);
    const auto count = [&](const TableQuery& s) {
        d.reopen(s);
        return d.recordCount();
    };
    QCOMPARE(count(Statements::searchRecipientsByName("a\"b")), 1);
    QCOMPARE(count(Statements::searchRecipientsByName("'")), 1);
    QCOMPARE(count(Statements::searchRecipientsByName("%")), 3);
    QCOMPARE(count(Statements::searchRecipientsByMobile("13")), 2);
    QCOMPARE(count(Statements::searchRecipientsByName(QStringLiteral(u"王"))), 1);
    // Read into the memory of the rows found before.
    QCOMPARE(d.value(0, 1), QString::fromUtf8("王a\"b"));
    QCOMPARE(d.value(0, 6), QStringLiteral("138"));
    // The same on both stores: _ matches one character, a backslash is
    // literal, ASCII letters ignore case.
    db.insert("inrxx", {"", "a\\b", "", "", "", "", "", "", "", ""});
    QCOMPARE(count(Statements::searchRecipientsByName("\\")), 1);
    QCOMPARE(count(Statements::searchRecipientsByName("a_b")), 2);
    QCOMPARE(count(Statements::searchRecipientsByName("IT'S")), 1);
    // Letters beyond ASCII keep their case, whatever the server's locale.
    db.insert("inrxx", {"", QStringLiteral(u"Ａ张É𠮷"), "", "", "", "", "", "", "", ""});
    QCOMPARE(count(Statements::searchRecipientsByName(QStringLiteral(u"ａ"))), 0);
    QCOMPARE(count(Statements::searchRecipientsByName(QStringLiteral(u"é"))), 0);
    QCOMPARE(count(Statements::searchRecipientsByName(QStringLiteral(u"张É𠮷"))), 1);
    QCOMPARE(count(Statements::searchRecipientsByName(QStringLiteral(u"_𠮷"))), 1);
}

void StoreTest::searchesOfTheRowsReadListWhatTheStoreLists()
{
    TestDatabase db;
    const auto add = [&](const QString& name, const QString& mobile) {
        db.insert("inrxx", {"", name, "", "", "", "", mobile, "", "", ""});
    };
    add(QStringLiteral(u"王一"), "138-1111 2222");
    add("Abc", "13911112222");
    add("a_b", "+86 139 0000");
    db.exec(QStringLiteral(u"insert into inrxx (单位名称) values ('no name or mobile')"));
    add(QStringLiteral(u"张É𠮷"), "");
    // Matches in every place of the scanned blocks.
    db.exec(QStringLiteral(
        u"with recursive i(k) as (select 1 union all select k + 1 from i where k < 300) "
        u"insert into inrxx (收件人姓名, 手机号码) select substr('王王王王王王王', 1, k % 7) || "
        u"(case when k % 3 = 0 then 'aB' else 'c' end) || k, '139-' || k from i"));
    Connection c(db.session());
    c.open();
    Dataset d(c);
    d.setSearchable(
        {Statements::searchRecipientsByName({}), Statements::searchRecipientsByMobile({})});
    d.setQuery(Statements::selectRecipients());
    d.open();
    QCOMPARE(d.recordCount(), 305);
    Connection other(db.session());
    other.open();
    Dataset store(other);
    const auto listed = [](Dataset& s) {
        QStringList rows;
        for (int r = 0; r < s.recordCount(); ++r)
            rows << s.identity(r).toString() + QLatin1Char(' ') + s.value(r, 1) + QLatin1Char(' ') +
                        s.value(r, 6);
        return rows;
    };
    const QList<TableQuery> searches = {
        Statements::searchRecipientsByName(QStringLiteral(u"王")),
        Statements::searchRecipientsByName("a"),
        Statements::searchRecipientsByName("B"),
        Statements::searchRecipientsByName("_"),
        Statements::searchRecipientsByName("%"),
        Statements::searchRecipientsByName(QStringLiteral(u"É")),
        Statements::searchRecipientsByName(QStringLiteral(u"é")),
        Statements::searchRecipientsByName(QStringLiteral(u"𠮷")),
        Statements::searchRecipientsByName("zzz"),
        Statements::searchRecipientsByMobile("1111"),
        Statements::searchRecipientsByMobile("1111-2222"),
        Statements::searchRecipientsByMobile("1390"),
        Statements::searchRecipientsByMobile("-"),
    };
    const auto compare = [&](const char* after) {
        for (const TableQuery& search : searches) {
            d.reopen(search);
            store.reopen(search);
            QVERIFY2(listed(d) == listed(store),
                     qPrintable(QLatin1String(after) + QStringLiteral(" / ") + search.text +
                                listed(d).join("|") + " VS " + listed(store).join("|")));
        }
    };
    compare("read");
    if (QTest::currentTestFailed())
        return;

    // Our own changes, under a search and on the whole book.
    d.reopen(Statements::searchRecipientsByName(QStringLiteral(u"王")));
    d.edit();
    d.setField(QStringLiteral(u"收件人姓名"), QStringLiteral(u"Ab王"));
    d.post();
    d.append();
    d.setField(QStringLiteral(u"收件人姓名"), QStringLiteral("new a"));
    d.setField(QStringLiteral(u"手机号码"), QStringLiteral("1111-0"));
    d.post();
    d.reopen(Statements::searchRecipientsByName("a"));
    d.deleteCurrent();
    compare("changed");
    d.reopen(Statements::searchRecipientsByName("b"));
    d.deleteAll();
    compare("deleted");
    d.reopen(Statements::selectRecipients());
    d.last();
    d.deleteCurrent(); // its identity is given again to the next row
    d.append();
    d.setField(QStringLiteral(u"收件人姓名"), QStringLiteral("again"));
    d.post();
    compare("identity again");
    d.reopen(Statements::selectRecipients());
    d.deleteAll();
    d.append();
    d.setField(QStringLiteral(u"收件人姓名"), QStringLiteral("after all"));
    d.post();
    compare("all deleted");

    // Another desk's rows are listed by the next search, as the store lists them.
    add("another a", "1111");
    compare("another desk");
}

void StoreTest::searchesStayInMemoryAfterOurWritesElsewhere()
{
    SKIP_ON_SERVER(); // searched in memory on data.mdb only
    TestDatabase db;
    Connection c(db.session());
    c.open();
    Dataset d(c);
    d.setSearchable({Statements::searchRecipientsByName({})});
    d.setQuery(Statements::selectRecipients());
    const auto ours = [&](const std::function<void(Connection&)>& write) {
        return [&db, write] {
            Connection own(db.session());
            own.open();
            write(own);
        };
    };
    const auto addRecipient = [](Connection& own) {
        own.beginWriting();
        own.execute({QStringLiteral(u"insert into inrxx (收件人姓名) values ('x')"), {}});
        own.commit();
    };
    const struct {
        const char* write;
        std::function<void()> run;
        bool inMemory;
    } cases[] = {
        {"our print log", ours([](Connection& own) {
             LoggedPage page;
             page.recipient = QStringList{"", "n"};
             PrintLog::write(own, {page}, "A", PrintLog::now());
         }),
         true},
        {"our import", ours([](Connection& own) {
             QVERIFY_THROWS_NO_EXCEPTION(
                 SheetImport(own).run(SampleSheets::path("xlwt_recipients.xls")));
         }),
         true},
        {"our address book elsewhere", ours(addRecipient), false},
        {"another program's print log",
         [&] { db.exec(QStringLiteral(u"insert into printlog (收件人姓名) values ('n')")); },
         false},
        {"another program's address book",
         [&] {
             db.insert("inrxx", {"", "x"});
         },
         false},
    };
    for (const auto& write : cases) {
        d.reopen(Statements::selectRecipients());
        d.recordCount(); // all read
        // Added past the dataset on its own connection: in the store, not
        // in the rows read.
        const QString unread = QStringLiteral("unread ") + write.write;
        c.beginWriting();
        c.execute({QStringLiteral(u"insert into inrxx (收件人姓名) values (?)"), {unread}});
        c.commit();
        write.run();
        d.reopen(Statements::searchRecipientsByName(unread));
        QVERIFY2((d.recordCount() == 0) == write.inMemory, write.write);
    }
    // Under a write-ahead log commits leave the counter that follows them.
    db.exec(QStringLiteral("pragma journal_mode=wal"));
    d.reopen(Statements::selectRecipients());
    d.recordCount();
    db.insert("inrxx", {"", "logged ahead"});
    d.reopen(Statements::searchRecipientsByName("logged ahead"));
    QCOMPARE(d.recordCount(), 1);
}

void StoreTest::editOfARowDeletedElsewhereIsNotReportedAsSaved()
{
    TestDatabase db;
    db.insert("inrxx", {"a", "n1", "", "", "", "", "", "", "", ""});
    db.insert("inrxx", {"b", "n2", "", "", "", "", "", "", "", ""});
    Connection c(db.session());
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
    // Nor is its deletion reported as done.
    QVERIFY_THROWS_EXCEPTION(StoreError, d.deleteCurrent());
    QCOMPARE(db.rows("inrxx").size(), 1);

    // An edit that changes nothing writes nothing and so cannot fail.
    d.edit();
    d.post();
    d.next();
    d.edit();
    d.setField(QStringLiteral(u"单位名称"), QStringLiteral("B"));
    d.post();
    QCOMPARE(db.rows("inrxx").at(0).at(0), QStringLiteral("B"));
}

void StoreTest::deleteAllTakesTheListedRowsOrNone()
{
    TestDatabase db;
    // More rows than one statement deletes, so the failure comes halfway.
    db.exec(
        QStringLiteral(u"with recursive i(k) as (select 1 union all select k + 1 from i "
                       u"where k < 1200) insert into inrxx (收件人姓名) select '王' || k from i"));
    db.insert("inrxx", {"", QStringLiteral(u"李二"), "", "", "", "", "", "", "", ""});
    Connection c(db.session());
    c.open();
    Dataset d(c);
    d.setQuery(Statements::searchRecipientsByName(QStringLiteral(u"王")));
    d.open();
    QCOMPARE(d.recordCount(), 1200);
    // Saved elsewhere after the snapshot: matches the search but is not listed.
    db.insert("inrxx", {"", QStringLiteral(u"王后来"), "", "", "", "", "", "", "", ""});
    if (TestDatabase::onServer()) {
        db.exec(QStringLiteral(u"create function refuse() returns trigger language plpgsql as $$ "
                               u"begin if old.收件人姓名 = '王1100' then raise exception "
                               u"'refused'; end if; return old; end $$"));
        db.exec(QStringLiteral("create trigger refuse before delete on inrxx for each row "
                               "execute function refuse()"));
    } else {
        db.exec(QStringLiteral(u"create trigger refuse before delete on inrxx when old.收件人姓名 "
                               u"= '王1100' begin select raise(abort, 'refused'); end"));
    }
    d.setCurrentRow(7);

    QVERIFY_THROWS_EXCEPTION(StoreError, d.deleteAll());
    QCOMPARE(db.rows("inrxx").size(), 1202);
    QCOMPARE(d.recordCount(), 1200);
    QCOMPARE(d.currentRow(), 7);

    db.exec(TestDatabase::onServer() ? QStringLiteral("drop trigger refuse on inrxx")
                                     : QStringLiteral("drop trigger refuse"));
    d.deleteAll();
    QCOMPARE(d.recordCount(), 0);
    QCOMPARE(d.currentRow(), -1);
    const QList<QStringList> left = db.rows("inrxx");
    QCOMPARE(left.size(), 2);
    QCOMPARE(left.at(0).at(1), QStringLiteral(u"李二"));
    QCOMPARE(left.at(1).at(1), QStringLiteral(u"王后来"));
}

void StoreTest::anotherDesksRowUnderAFreedIdentityIsLeftAlone()
{
    TestDatabase db;
    db.insert("inrxx", {"a", "n1", "", "", "", "", "", "", "", ""});
    db.insert("inrxx", {"b", "n2", "", "", "", "", "", "", "", ""});
    Connection c(db.session());
    c.open();
    Dataset d(c);
    d.setQuery(Statements::selectRecipients());
    d.open();
    // Another desk deletes the last row and adds one: SQLite gives it the
    // freed rowid.
    db.exec("delete from inrxx where 单位名称 = 'b'");
    const QStringList theirs{"c", "n3", "", "", "", "", "", "", "", ""};
    db.insert("inrxx", theirs);
    const auto refused = [&](const std::function<void()>& change) {
        try {
            change();
        } catch (const StoreError& e) {
            return e.text().startsWith("Row cannot be located for updating.");
        }
        return false;
    };
    d.setCurrentRow(1);
    QVERIFY(refused([&] {
        d.edit();
        d.setField(QStringLiteral(u"收件人姓名"), QStringLiteral("mine"));
        d.post();
    }));
    QVERIFY(refused([&] { d.deleteCurrent(); }));
    d.deleteAll();
    QCOMPARE(db.rows("inrxx"), QList<QStringList>{theirs});
}

void StoreTest::snapshotReadsEveryKindOfStoredValueAsText()
{
    if (TestDatabase::onServer())
        QSKIP("the values SQLite's file may hold; the server's columns are text");
    TestDatabase db;
    // NULL, empty, a number, bytes that are no UTF-8, a separator-like byte.
    db.exec(QStringLiteral(u"insert into inrxx values (NULL, '', 42, 1.5, cast(x'41ff42' as "
                           u"text), '收件人', 'a\tb', '', '', '𠮷')"));
    Connection c(db.session());
    c.open();
    Dataset d(c);
    d.setQuery(Statements::selectRecipients());
    d.open();
    const QStringList expected{"",
                               "",
                               "42",
                               "1.5",
                               QStringLiteral(u"A\uFFFDB"),
                               QStringLiteral(u"收件人"),
                               "a\tb",
                               "",
                               "",
                               QStringLiteral(u"𠮷")};
    for (int column = 0; column < 10; ++column)
        QCOMPARE(d.value(0, column), expected.at(column));
    QCOMPARE(d.value(0, 10), QString());

    // An edit keeps the other values as they read.
    d.edit();
    d.setField(QStringLiteral(u"目的地"), QStringLiteral(u"北京"));
    d.post();
    QCOMPARE(d.value(0, 2), QStringLiteral(u"北京"));
    QCOMPARE(d.value(0, 4), QStringLiteral(u"A\uFFFDB"));
    QCOMPARE(d.value(0, 9), QStringLiteral(u"𠮷"));

    // Bytes that are no UTF-8 read as the driver reads them: a stray byte,
    // a cut character, an overlong one, a surrogate, the same as a blob.
    db.exec(QStringLiteral("insert into inrxx values (cast(x'418042' as text), cast(x'e5bc' as "
                           "text), cast(x'e5bc41' as text), cast(x'c080' as text), cast(x'eda080' "
                           "as text), x'418042', x'e5bc', '', '', '')"));
    d.close();
    d.open();
    QSqlQuery q = c.run(Statements::selectRecipients().select(c.dialect()));
    QVERIFY(q.next() && q.next());
    for (int column = 0; column < 10; ++column)
        QCOMPARE(d.value(1, column), q.value(column + 1).toString());
    QCOMPARE(d.value(1, 0), QStringLiteral(u"A\u0080B"));
}

void StoreTest::serverAddresses_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("parts"); // host|port|user|database, or "refused"
    QTest::newRow("full") << "postgresql://desk@db.shop:5433/waybills"
                          << "db.shop|5433|desk|waybills";
    QTest::newRow("defaults") << "postgres:///waybills"
                              << "|0||waybills";
    QTest::newRow("socket") << "postgresql://desk@/w?host=/run/postgresql"
                            << "/run/postgresql|0|desk|w";
    QTest::newRow("escaped names") << "postgresql://d%40sk@[::1]:5432/%E5%BA%97%20%231%25"
                                   << QString::fromUtf8("::1|5432|d@sk|店 #1%");
    QTest::newRow("password") << "postgresql://desk:secret@db/w"
                              << "refused";
    QTest::newRow("password with a slash") << "postgresql://alice:1234/secret@db.example"
                                           << "refused";
    QTest::newRow("password parameter") << "postgresql://db/w?password=x"
                                        << "refused";
    QTest::newRow("password, URL unreadable") << "postgresql://desk:secret@db:99999/w"
                                              << "refused";
    QTest::newRow("password, no path") << "postgresql://desk:secret@[::1?x=1"
                                       << "refused";
    QTest::newRow("no database") << "postgresql://db:5432"
                                 << "refused";
    QTest::newRow("a file") << "data.mdb"
                            << "refused";
}

void StoreTest::serverAddresses()
{
    QFETCH(QString, url);
    QFETCH(QString, parts);
    if (parts == QLatin1String("refused")) {
        try {
            ServerAddress::parse(url);
            QFAIL("taken as an address");
        } catch (const StoreError& e) {
            QVERIFY(!e.text().isEmpty());
            QVERIFY2(!e.text().contains(QLatin1String("secret")), e.what());
        }
        return;
    }
    const ServerAddress a = ServerAddress::parse(url);
    QCOMPARE(QStringList({a.host, QString::number(a.port), a.user, a.database}).join('|'), parts);
    QCOMPARE(ServerAddress::parse(a.display()), a);
}

void StoreTest::compressedSnapshotReadsAsThePlainOne()
{
    TestDatabase db;
    // Enough rows for many compressed blocks.
    db.exec(QStringLiteral(u"with recursive i(k) as (select 1 union all select k + 1 from i "
                           u"where k < 3000) insert into inrxx select '公司' || k, '王' || k, "
                           u"'', '地址' || (k * 7919 % 1000), k, '', '139' || k, '', k % 10, "
                           u"case when k % 2 = 1 then null else '备注' end from i"));
    Connection c(db.session());
    c.open();
    Dataset plain(c), compressed(c);
    plain.setQuery(Statements::selectRecipients());
    compressed.setQuery(Statements::selectRecipients());
    compressed.setCompressed(true);
    plain.open();
    compressed.open();
    QCOMPARE(compressed.recordCount(), 3000);
    // Backwards, so every block is unpacked again and again.
    for (int row = 2999; row >= 0; --row)
        for (int column = 0; column < 10; ++column)
            QCOMPARE(compressed.value(row, column), plain.value(row, column));

    compressed.setCurrentRow(1500);
    compressed.edit();
    compressed.setField(QStringLiteral(u"备注"), QStringLiteral(u"改过"));
    compressed.post();
    compressed.deleteCurrent();
    QCOMPARE(compressed.field(QStringLiteral(u"收件人姓名")), QStringLiteral(u"王1502"));
    compressed.setCurrentRow(1499);
    QCOMPARE(compressed.field(QStringLiteral(u"收件人姓名")), QStringLiteral(u"王1500"));
    compressed.append();
    compressed.setField(QStringLiteral(u"收件人姓名"), QStringLiteral(u"新的"));
    compressed.post();
    QCOMPARE(compressed.value(2999, 1), QStringLiteral(u"新的"));
    QCOMPARE(compressed.value(0, 0), QStringLiteral(u"公司1"));
}

void StoreTest::rowsStillBeingReadAreOneSnapshot()
{
    TestDatabase db;
    // Far more rows than the first screen, so most arrive after open().
    db.exec(QStringLiteral(u"with recursive i(k) as (select 1 union all select k + 1 from i "
                           u"where k < 20000) insert into inrxx (单位名称, 收件人姓名) "
                           u"select 'a' || k, '王' || k from i"));
    Connection c(db.session());
    c.open();
    Dataset d(c), counted(c);
    d.setCompressed(true);
    d.setQuery(Statements::selectRecipients());
    d.open();
    const int shown = d.loadedCount();
    counted.setCountedFirst(true);
    counted.setQuery(Statements::selectRecipients());
    counted.open();
    // Another desk at once: the last row changed, the first gone, one more.
    db.exec(QStringLiteral(u"update inrxx set 收件人姓名 = '改' where 单位名称 = 'a20000'"));
    db.exec(QStringLiteral("delete from inrxx where 单位名称 = 'a1'"));
    db.insert("inrxx", {"a20001", QStringLiteral(u"新")});
    QVERIFY(shown > 0);
    QCOMPARE(counted.expectedCount(), 20000);
    QCOMPARE(counted.recordCount(), 20000);
    QCOMPARE(d.recordCount(), 20000);
    QCOMPARE(d.value(0, 0), QStringLiteral("a1"));
    QCOMPARE(d.value(19999, 1), QStringLiteral(u"王20000"));
    d.last();
    QCOMPARE(d.field(QStringLiteral(u"单位名称")), QStringLiteral("a20000"));
    d.reopen(Statements::selectRecipients());
    QCOMPARE(d.recordCount(), 20000);
    QCOMPARE(d.value(0, 0), QStringLiteral("a2"));
    QCOMPARE(d.value(19998, 1), QStringLiteral(u"改"));
    QCOMPARE(d.value(19999, 1), QStringLiteral(u"新"));
}

void StoreTest::aLongReadLetsAnotherDeskWriteAndStaysOneState()
{
    TestDatabase db;
    // Rows for several of data.mdb's read transactions.
    db.exec(QStringLiteral(u"with recursive i(k) as (select 1 union all select k + 1 from i "
                           u"where k < 100000) insert into inrxx (单位名称, 收件人姓名) "
                           u"select 'a' || k, '王' || k from i"));
    Connection c(db.session());
    c.open();
    Dataset d(c);
    d.setCompressed(true);
    d.setQuery(Statements::selectRecipients());
    d.open();
    d.setCurrentRow(7); // chosen while the rest is read
    // Another desk at once, in one transaction: the first row and the last
    // changed. data.mdb takes it between two parts of the reading, which
    // reads the rows again; the server's snapshot is older.
    db.exec(QStringLiteral(u"update inrxx set 备注 = '改' where 单位名称 in ('a1', 'a100000')"));
    const QString seen = TestDatabase::onServer() ? QString() : QStringLiteral(u"改");
    QCOMPARE(d.recordCount(), 100000);
    QCOMPARE(d.value(0, 9), seen);
    QCOMPARE(d.value(99999, 9), seen);
    QCOMPARE(d.value(99999, 0), QStringLiteral("a100000"));
    QCOMPARE(d.field(QStringLiteral(u"单位名称")), QStringLiteral("a8"));
}

void StoreTest::spooledRowsReadAsTheSnapshotOfADataset()
{
    TestDatabase db;
    // Many spooled blocks, rows of uneven length, identities with a gap.
    db.exec(
        QStringLiteral(u"with recursive i(k) as (select 1 union all select k + 1 from i "
                       u"where k < 3000) insert into inrxx select '公司' || k, '王' || k, "
                       u"'', '地址' || (k * 7919 % 1000) || substr('路路路路路路路路', 1, k % 9), "
                       u"k, '', '139' || k, '', k % 10, "
                       u"case when k % 2 = 1 then null else '备注' end from i"));
    db.exec(QStringLiteral(u"delete from inrxx where 收件人姓名 = '王1000'"));
    Connection c(db.session());
    c.open();
    Dataset read(c);
    read.setQuery(Statements::selectRecipients());
    read.open();
    const SpooledRows spooled(c, Statements::selectRecipients());
    // What other desks do later is not in the batch.
    db.exec(QStringLiteral(u"update inrxx set 收件人姓名 = '改'"));
    db.exec(QStringLiteral("delete from inrxx where 数量 = '3'"));
    QCOMPARE(read.recordCount(), 2999);
    QCOMPARE(spooled.expectedCount(), 2999);
    QCOMPARE(spooled.columnNames(), read.columnNames());
    QCOMPARE(spooled.table(), Schema::recipientTable);
    // Backwards, so that every block is read again from the file.
    for (int row = 2998; row >= 0; --row) {
        QCOMPARE(spooled.identity(row), read.identity(row));
        for (int column = 0; column < 10; ++column)
            QCOMPARE(spooled.value(row, column), read.value(row, column));
    }
    QCOMPARE(spooled.value(2998, QStringLiteral(u"收件人姓名")), QStringLiteral(u"王3000"));
    QCOMPARE(spooled.value(2999, 0), QString());
    QVERIFY(spooled.identity(-1).isNull());
}

void StoreTest::preparedRowsKeepWhatEachRowBound()
{
    // Values left bound from the row before must read as given: an empty
    // text is no NULL.
    TestDatabase db;
    Connection c(db.session());
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
