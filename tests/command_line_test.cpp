// sfwaybill-cli as a script uses it: help and version, exit statuses, the
// plain window names, quiet standard error on success.
#include "store/schema.h"
#include "support/command_line_run.h"
#include "support/test_database.h"

#include <QProcess>
#include <QTest>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {

using Run = CommandLineRun;

Run cli(const QStringList& args, const QString& standardOutput = {})
{
    return runCommandLine(args, standardOutput);
}

QString pdfText(const QString& pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

const QStringList commands{"init",   "backup", "restore",       "copy", "print",
                           "import", "export", "parse-address", "log"};

} // namespace

class CommandLineTest : public QObject {
    Q_OBJECT
private slots:
    void helpVersionAndWrongArguments();
    void plainWindowNamesPrintTheSamePages();
    void successLeavesStandardErrorEmpty();
    void csvExportToStandardOutputImportsBack();
    void writesThatFailAreNotReportedAsDone();
    void customersDataIsReadableByItsOwnerOnly();
    void textsFromDataReachTheTerminalAsOneLine();
    void noOutputReplacesTheDatabaseOrANonFile_data();
    void noOutputReplacesTheDatabaseOrANonFile();
};

void CommandLineTest::helpVersionAndWrongArguments()
{
    TestFolder here;
    for (const QString& help : {QStringLiteral("--help"), QStringLiteral("-h")}) {
        const Run all = cli({help});
        QCOMPARE(all.status, 0);
        for (const QString& c : commands)
            QVERIFY2(all.out.contains(QRegularExpression(QStringLiteral("\\n  %1[ \\n]").arg(c))),
                     qPrintable(c));
        for (const QString& c : commands) {
            const Run one = cli({c, help});
            QCOMPARE(one.status, 0);
            QVERIFY2(one.out.startsWith(QStringLiteral("usage: sfwaybill-cli ") + c),
                     qPrintable(one.out));
            // Every command takes the data folder, and says so.
            QVERIFY2(one.out.contains(QStringLiteral("--data-dir DIR")) &&
                         !one.out.contains(QStringLiteral(" \n")),
                     qPrintable(one.out));
        }
    }
    QCOMPARE(cli({QStringLiteral("--version")}).out, QStringLiteral("sfwaybill-cli 5.22\n"));

    const QList<QStringList> wrong{
        {},
        {"nonsense"},
        {"init", "extra"},
        {"backup"},
        {"print", "--window"},
        {"print", "--window", "batch"},
        {"print", "--window", "batch", "--pdf", "a.pdf", "--printer", "p"},
        {"print", "--window", "bogus", "--pdf", "a.pdf"},
        {"print", "--window", "batch", "--row", "1", "--pdf", "a.pdf"},
        {"print", "--window", "single", "--dx", "1.5", "--pdf", "a.pdf"},
        {"print", "--window", "single", "--font", "Arial", "--pdf", "a.pdf"},
        {"--data-dir", "a", "--user-data", "init"},
        {"copy", "--from", "data.mdb"},
        {"--database", "postgresql://desk:secret@db/w", "init"},
        {"--database", "data.mdb", "init"},
        {"--database", "postgresql://db/a", "init", "--database", "postgresql://db/b"},
        {"log", "--since", "yesterday"},
    };
    QList<QStringList> cases = wrong;
    for (const QString& c : commands)
        cases << QStringList{c, QStringLiteral("--no-such-option")};
    for (const QStringList& args : cases) {
        const Run r = cli(args);
        QVERIFY2(r.status == 2, qPrintable(args.join(' ')));
        QVERIFY2(r.err.contains(QStringLiteral("usage: sfwaybill-cli")), qPrintable(r.err));
        QCOMPARE(r.out, QString());
    }
    QVERIFY(QDir(here.path()).isEmpty()); // nothing was made by a wrong call
}

void CommandLineTest::plainWindowNamesPrintTheSamePages()
{
    TestDatabase db;
    QStringList sender = QStringList(Schema::senderColumns().size(), QString());
    sender[1] = QStringLiteral(u"寄件人");
    db.insert(Schema::senderTable, sender);
    for (const QString& table : {Schema::recipientTable, Schema::importedTable})
        for (const char16_t* name : {u"甲一", u"乙二"})
            db.insert(table, {table, QString::fromUtf16(name), "", QStringLiteral(u"某地址"), "",
                              "", "", "", "", ""});
    const QList<std::pair<QString, QString>> names{{"single", "TSf1Form"},
                                                   {"imported-single", "TEsf1Form"},
                                                   {"batch", "TPlsf1Form"},
                                                   {"imported-batch", "TEPlsf1Form"}};
    for (const auto& [alias, className] : names) {
        const Run a = cli({"print", "--window", alias, "--pdf", "alias.pdf"});
        const Run c = cli({"print", "--window", className, "--pdf", "class.pdf"});
        QCOMPARE(a.status, 0);
        QCOMPARE(c.status, 0);
        const int pages = alias.endsWith(QLatin1String("batch")) ? 2 : 1;
        QCOMPARE(a.out, QStringLiteral("%1\talias.pdf\n").arg(pages));
        const QString text = pdfText(db.dir() + QStringLiteral("/alias.pdf"));
        QVERIFY2(text.contains(QStringLiteral(u"甲一")), qPrintable(text));
        QCOMPARE(text, pdfText(db.dir() + QStringLiteral("/class.pdf")));
    }
}

void CommandLineTest::successLeavesStandardErrorEmpty()
{
    TestFolder here;
    for (const QStringList& args : QList<QStringList>{
             {"init"},
             {"print", "--window", "batch", "--pdf", "out.pdf"},
             {"export", "book"},
             {"backup", "monday"},
             {"parse-address", QStringLiteral(u"张三 13800138000 北京市海淀区中关村大街1号")}}) {
        const Run r = cli(args);
        QCOMPARE(r.status, 0);
        QVERIFY2(r.err.isEmpty(), qPrintable(args.join(' ') + QStringLiteral(": ") + r.err));
    }
    // Also with a data folder named, and without a runtime folder or platform.
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    p.setProcessEnvironment(env);
    p.start(qEnvironmentVariable("SF_CLI"), {"--data-dir", here.filePath("desk"), "init"});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 0);
    QCOMPARE(p.readAllStandardError(), QByteArray());
    QVERIFY(QFile::exists(here.filePath("desk/data.mdb")));
}

void CommandLineTest::csvExportToStandardOutputImportsBack()
{
    TestDatabase db;
    const QList<QStringList> book{{"公司, 有限", QStringLiteral(u"张\"三\""), "",
                                   QStringLiteral(u"第一行\n第二行"), "", "", "138", "", "",
                                   QStringLiteral(u"𠀀 备注")},
                                  {"", "plain", "", "addr", "", "", "", "", "", ""},
                                  {"=1+1", "+86 138", "-", "@SUM(A1)", "\tx", "'=kept", "''+two",
                                   "'plain", "a=b", "=HYPERLINK(\"http://x\",\"y\")"}};
    for (const QStringList& row : book)
        db.insert(Schema::recipientTable, row);
    const Run exported = cli({"export", "--format", "csv"});
    QCOMPARE(exported.status, 0);
    QVERIFY(exported.out.startsWith(Schema::recipientColumns().join(QLatin1Char(','))));
    // Nothing a spreadsheet program would run as a formula.
    QVERIFY(exported.out.contains(
        "\r\n'=1+1,'+86 138,'-,'@SUM(A1),'\tx,''=kept,'''+two,'plain,a=b,\"'=HYPERLINK("));
    QFile file(db.dir() + QStringLiteral("/book.csv"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(exported.out.toUtf8());
    file.close();
    QCOMPARE(cli({"import", "book.csv"}).status, 0);
    QCOMPARE(db.rows(Schema::importedTable), book);

    // A refusal says why once.
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(16384, ','));
    file.close();
    const Run refused = cli({"import", "book.csv"});
    QCOMPARE(refused.status, 1);
    QCOMPARE(refused.err, QStringLiteral(u"批量导入EXCEL失败!\n工作表超过16,384列\n"));

    // A damaged one: the user's reason, then the engine's under it.
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(64, '\0'));
    file.close();
    const Run damaged = cli({"import", "book.csv"});
    QCOMPARE(damaged.status, 1);
    const QStringList lines = damaged.err.split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 4);
    QCOMPARE(lines.mid(0, 2), (QStringList{QStringLiteral(u"批量导入EXCEL失败!"),
                                           QStringLiteral(u"文件已损坏，或不是Excel工作簿"
                                                          u"（.xls、.xlsx）或CSV文件。")}));
    QVERIFY(!lines.at(2).isEmpty());
}

void CommandLineTest::writesThatFailAreNotReportedAsDone()
{
    // /dev/full refuses every write, as a full disk does.
    TestDatabase db;
    db.insert(Schema::recipientTable,
              {"", QStringLiteral(u"张三"), "", "addr", "", "", "138", "", "", ""});
    const QString full = QStringLiteral("/dev/full");
    const QList<std::pair<QStringList, QString>> cases{
        {{"print", "--window", "batch", "--pdf", full}, {}},
        {{"export", "--format", "csv"}, full},
        {{"print", "--window", "batch", "--pdf", "out.pdf"}, full},
    };
    for (const auto& [args, standardOutput] : cases) {
        const Run r = cli(args, standardOutput);
        QVERIFY2(r.status == 1, qPrintable(args.join(' ') + QStringLiteral(": ") + r.out));
        QVERIFY2(!r.err.isEmpty(), qPrintable(args.join(' ')));
    }
    // The reason in Chinese, the system's detail after it.
    const Run nowhere = cli({"print", "--window", "batch", "--pdf", "no such folder/out.pdf"});
    QCOMPARE(nowhere.status, 1);
    QVERIFY2(nowhere.err.contains(QStringLiteral(u"无法写入 ")), qPrintable(nowhere.err));
}

void CommandLineTest::customersDataIsReadableByItsOwnerOnly()
{
    TestFolder here;
    const mode_t umask = ::umask(0);
    const auto mode = [](const QString& file) {
        struct stat s {};
        return ::stat(QFile::encodeName(file).constData(), &s) == 0 ? int(s.st_mode & 0777) : -1;
    };
    for (const QStringList& args :
         QList<QStringList>{{"init"},
                            {"export", "book"},
                            {"export", "book.xlsx"},
                            {"export", "--format", "csv", "book"},
                            {"print", "--window", "batch", "--pdf", "a.pdf"},
                            {"backup", "monday"},
                            {"copy", "--from", "data.mdb", "--to", "c.mdb"},
                            {"restore", "monday.bak"}})
        QCOMPARE(cli(args).status, 0);
    for (const char* file : {"data.mdb", "book.xls", "book.xlsx", "book.csv", "a.pdf", "monday.bak",
                             "c.mdb", "data.mdb.before-restore"})
        QVERIFY2(mode(file) == 0600, file);
    // A data.mdb keeps the mode its owner gave it.
    QVERIFY(::chmod("data.mdb", 0640) == 0);
    QCOMPARE(cli({"restore", "monday.bak"}).status, 0);
    QCOMPARE(mode("data.mdb"), 0640);
    ::umask(umask);
}

void CommandLineTest::textsFromDataReachTheTerminalAsOneLine()
{
    TestDatabase db;
    db.insert(Schema::recipientTable, {"", QStringLiteral(u"张\x1b[2J三\0\u2028x"), "", "addr\r\n",
                                       "", "", "138", "", "", ""});
    const Run printed = cli({"print", "--window", "single", "--pdf", "a\x1b\nb.pdf"});
    QCOMPARE(printed.status, 0);
    QCOMPARE(printed.out, QStringLiteral("1\ta  b.pdf\n"));
    const Run log = cli({"log"});
    QCOMPARE(log.status, 0);
    const QStringList fields = log.out.split('\t');
    QCOMPARE(fields.size(), 7);
    QCOMPARE(fields.at(4), QStringLiteral(u"张 [2J三  x"));
    QCOMPARE(fields.at(6), QStringLiteral("addr  \n"));

    // A log that cannot be read is no empty log.
    SKIP_ON_SERVER();
    db.exec(QStringLiteral("drop table printlog"));
    db.exec(QStringLiteral(u"create index printlog on inrxx (备注)"));
    const Run unreadable = cli({"log"});
    QCOMPARE(unreadable.status, 1);
    QVERIFY2(unreadable.err.contains(QStringLiteral(u"没有打印记录表，也无法建立")),
             qPrintable(unreadable.err));
}

void CommandLineTest::noOutputReplacesTheDatabaseOrANonFile_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("written"); // the name the command writes
    QTest::addColumn<QString>("kind");
    const QList<std::pair<QStringList, QString>> commands{
        {{"print", "--window", "batch", "--pdf", "out.pdf"}, "out.pdf"},
        {{"export", "out.xls"}, "out.xls"},
        {{"export", "--format", "csv", "out"}, "out.csv"},
        {{"backup", "out"}, "out.bak"},
    };
    for (const auto& [args, written] : commands)
        for (const char* kind :
             {"link to data.mdb", "link to its journal", "fifo", "staged", "link to a device"})
            QTest::addRow("%s %s, %s", qPrintable(args.first()), qPrintable(written), kind)
                << args << written << QString::fromLatin1(kind);
    QTest::addRow("print onto data.mdb itself")
        << QStringList{"print", "--window", "batch", "--pdf", "data.mdb"} << "data.mdb"
        << "itself";
}

void CommandLineTest::noOutputReplacesTheDatabaseOrANonFile()
{
    SKIP_ON_SERVER();
    QFETCH(QStringList, args);
    QFETCH(QString, written);
    QFETCH(QString, kind);
    TestDatabase db;
    db.insert(Schema::recipientTable,
              {"", QStringLiteral(u"张三"), "", "addr", "", "", "138", "", "", ""});
    const QString stagedName = "data.mdb.sfwaybill-1-abcdef.tmp";
    if (kind == "staged") {
        // A staged file another run is writing, named through a link.
        QFile staged(stagedName);
        QVERIFY(staged.open(QIODevice::WriteOnly));
        staged.write("being written");
        staged.close();
        QVERIFY(QFile::link(stagedName, written));
    } else if (kind == "link to a device") {
        // A null device of our own: one that is replaced is only ours.
        if (::mknod("null", S_IFCHR | 0666, makedev(1, 3)) != 0)
            QSKIP("no device node can be made here");
        QVERIFY(QFile::link("null", written));
    } else if (kind == "fifo") {
        QCOMPARE(::mkfifo(QFile::encodeName(written).constData(), 0600), 0);
    } else if (kind != "itself") {
        QVERIFY(QFile::link(kind == "link to data.mdb" ? "data.mdb" : "data.mdb-journal", written));
    }
    QFile database(db.path());
    QVERIFY(database.open(QIODevice::ReadOnly));
    const QByteArray content = database.readAll();
    database.close();
    const Run r = cli(args);
    QCOMPARE(r.status, 1);
    QVERIFY2(r.err.contains(QStringLiteral(u"不能")), qPrintable(r.err));
    QVERIFY(database.open(QIODevice::ReadOnly));
    QCOMPARE(database.readAll(), content);
    QVERIFY(!QFile::exists("data.mdb-journal"));
    QFileInfo after(written);
    if (kind == "fifo")
        QVERIFY(!after.isFile() && after.exists());
    else if (kind != "itself")
        QVERIFY(after.isSymLink());
    if (kind == "link to a device")
        QVERIFY(!QFileInfo(QStringLiteral("null")).isFile() && QFileInfo::exists("null"));
    if (kind == "staged") {
        QFile staged(stagedName);
        QVERIFY(staged.open(QIODevice::ReadOnly));
        QCOMPARE(staged.readAll(), QByteArray("being written"));
    }
}

QTEST_GUILESS_MAIN(CommandLineTest)
#include "command_line_test.moc"
