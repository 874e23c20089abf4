// Where the program keeps its data and finds its own files: the data
// folder option, the help pages behind "帮助主题", the icon on its windows.
#include "app/program_icon.h"
#include "app/program_windows.h"
#include "records/windows/main_window.h"
#include "store/connection.h"
#include "store/data_folder.h"
#include "store/program_files.h"
#include "store/store_choice.h"
#include "store/store_error.h"
#include "store/store_options.h"
#include "store/store_session.h"
#include "support/scripted_dialogs.h"
#include "support/test_database.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSettings>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>

class InstallationTest : public QObject {
    Q_OBJECT
private slots:
    void dataFolderOption_data();
    void dataFolderOption();
    void dataFolderHoldsTheDatabase();
    void configurationFileLine_data();
    void configurationFileLine();
    void programFilesInstalledFirstThenBeside();
    void helpItemsOpenTheHelpPages();
    void everyWindowShowsTheProgramIcon();
};

namespace {

void touch(const QString& path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
}

QStringList names(const QString& path)
{
    Connection connection;
    connection.openFile(path);
    QSqlQuery q = connection.run({QStringLiteral("select 收件人姓名 from inrxx"), {}});
    QStringList result;
    while (q.next())
        result << q.value(0).toString();
    return result;
}

} // namespace

class UrlRecorder : public QObject {
    Q_OBJECT
public slots:
    void open(const QUrl& url) { urls << url; }

public:
    QList<QUrl> urls;
};

void InstallationTest::dataFolderOption_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("url");
    const QString user = DataFolder::userFolder();
    const QString url = QStringLiteral("postgresql://u@h/db");
    QTest::newRow("none") << QStringList{} << true << QString() << QString();
    QTest::newRow("a folder") << QStringList{"--data-dir", "D"} << true << "D" << QString();
    QTest::newRow("with =") << QStringList{"--data-dir=/a b"} << true << "/a b" << QString();
    QTest::newRow("user data") << QStringList{"--user-data"} << true << user << QString();
    QTest::newRow("and a server") << QStringList{"--database", url, "--user-data"} << true << user
                                  << url;
    QTest::newRow("no folder") << QStringList{"--data-dir"} << false << ""
                               << "";
    QTest::newRow("empty folder") << QStringList{"--data-dir="} << false << ""
                                  << "";
    QTest::newRow("twice") << QStringList{"--data-dir", "a", "--data-dir", "b"} << false << ""
                           << "";
    QTest::newRow("both") << QStringList{"--user-data", "--data-dir", "a"} << false << ""
                          << "";
    QTest::newRow("empty server") << QStringList{"--database="} << false << ""
                                  << "";
    QTest::newRow("two servers") << QStringList{"--database", url, "--database", url} << false << ""
                                 << "";
    // A mistyped option would open the wrong data without a word.
    QTest::newRow("mistyped") << QStringList{"--data-dri", "D"} << false << ""
                              << "";
}

void InstallationTest::dataFolderOption()
{
    QFETCH(QStringList, args);
    QFETCH(bool, ok);
    QFETCH(QString, folder);
    QFETCH(QString, url);
    const std::optional<StoreOptions::Chosen> chosen = StoreOptions::fromArguments(args);
    QCOMPARE(chosen.has_value(), ok);
    if (ok) {
        QCOMPARE(chosen->folder, folder);
        QCOMPARE(chosen->databaseUrl, url);
    }
}

void InstallationTest::dataFolderHoldsTheDatabase()
{
    TestFolder here;
    QTemporaryDir elsewhere;
    const QString folder = QDir(elsewhere.path()).filePath(QStringLiteral("new/data"));
    const QString file = QDir(folder).filePath(QStringLiteral("data.mdb"));

    // First start: folder and database made, nothing in the current directory.
    DataFolder::prepare(folder);
    QVERIFY(QFile::exists(file));
    QVERIFY(QDir(here.path()).isEmpty());

    const StoreSession store(folder);
    QCOMPARE(store.databasePath(), file);
    {
        Connection connection(store);
        connection.open();
        QCOMPARE(connection.path(), file);
        connection.execute({QStringLiteral("insert into inrxx (收件人姓名) values (?)"),
                            {QStringLiteral(u"张三")}});
    }
    // Later starts keep what is there.
    DataFolder::prepare(folder);
    QCOMPARE(names(file), QStringList{QStringLiteral(u"张三")});
    QVERIFY(QDir(here.path()).isEmpty());

    // A folder that cannot be made is an error, not a database elsewhere,
    // and names the folder with the system's reason.
    touch(here.filePath(QStringLiteral("a-file")));
    QVERIFY_THROWS_EXCEPTION(StoreError,
                             DataFolder::prepare(here.filePath(QStringLiteral("a-file/data"))));
    QVERIFY(QDir().mkdir(here.filePath(QStringLiteral("shut"))));
    QVERIFY(QFile::setPermissions(here.filePath(QStringLiteral("shut")),
                                  QFile::ReadOwner | QFile::ExeOwner));
    try {
        const PermissionsHold asAUser;
        DataFolder::prepare(here.filePath(QStringLiteral("shut/data")));
        QFAIL("made");
    } catch (const StoreError& e) {
        QCOMPARE(e.text(),
                 QStringLiteral(u"无法创建文件夹 %1：%2")
                     .arg(here.filePath(QStringLiteral("shut/data")), qt_error_string(EACCES)));
    }

    // A relative folder is taken from the current directory when it is set.
    QCOMPARE(StoreSession(QStringLiteral("rel")).databasePath(),
             QDir(here.path()).filePath("rel/data.mdb"));
    QCOMPARE(StoreSession(QString()).databasePath(), QDir(here.path()).filePath("data.mdb"));
}

void InstallationTest::configurationFileLine_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("url");
    // Whether QSettings reads the same from it; where it does not, a file a
    // desk uses now would name another server, or none.
    QTest::addColumn<bool>("sameInQSettings");
    const QString url = QStringLiteral("postgresql://u@h:5432/db");
    QTest::newRow("plain") << QByteArray("database=postgresql://u@h:5432/db\n") << url << true;
    QTest::newRow("spaced, after a comment")
        << QByteArray("# desk 2\n database = postgresql://u@h:5432/db \r\n") << url << true;
    QTest::newRow("the last of two")
        << QByteArray("database=postgresql://u@h/a\ndatabase=" + url.toUtf8() + '\n') << url
        << true;
    QTest::newRow("chinese name") << QByteArray("database=postgresql://u@h/数据\n")
                                  << QStringLiteral(u"postgresql://u@h/数据") << true;
    QTest::newRow("none") << QByteArray("# database=postgresql://u@h/db\n") << QString() << true;
    QTest::newRow("several hosts") << QByteArray("database=postgresql://u@/db?host=/a,/b\n")
                                   << QStringLiteral("postgresql://u@/db?host=/a,/b") << false;
    QTest::newRow("semicolon") << QByteArray("database=postgresql://u@h/db;x\n")
                               << QStringLiteral("postgresql://u@h/db;x") << false;
    QTest::newRow("backslash") << QByteArray("database=postgresql://u@h/a\\b\n")
                               << QStringLiteral("postgresql://u@h/a\\b") << false;
    QTest::newRow("in a section") << QByteArray("[desk]\ndatabase=" + url.toUtf8() + '\n') << url
                                  << false;
}

void InstallationTest::configurationFileLine()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, url);
    QFETCH(bool, sameInQSettings);
    TestFolder here;
    const QByteArray previous = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(here.path()));
    const auto back = qScopeGuard([&previous] { qputenv("XDG_CONFIG_HOME", previous); });
    QVERIFY(QDir().mkpath(here.filePath(QStringLiteral("sfwaybill"))));
    QFile config(StoreChoice::configFile());
    QVERIFY(config.open(QIODevice::WriteOnly));
    config.write(file);
    config.close();
    QCOMPARE(StoreChoice::configuredUrl(), url);
    const QSettings settings(config.fileName(), QSettings::IniFormat);
    QCOMPARE(settings.value(QStringLiteral("database")).toString() == url, sameInQSettings);
}

void InstallationTest::programFilesInstalledFirstThenBeside()
{
    QTemporaryDir prefix;
    const QDir root(prefix.path());
    const QString bin = root.filePath(QStringLiteral("bin"));
    const QString installed = root.filePath(QStringLiteral("share/sfwaybill/help/faq.html"));
    const QString beside = root.filePath(QStringLiteral("bin/help/faq.html"));
    const QString name = QStringLiteral("help/faq.html");

    QDir().mkpath(bin);
    QCOMPARE(ProgramFiles::find(name, bin), QString());
    touch(beside);
    QCOMPARE(ProgramFiles::find(name, bin), beside);
    touch(installed);
    QCOMPARE(ProgramFiles::find(name, bin), installed);
    QFile::remove(beside);
    QCOMPARE(ProgramFiles::find(name, bin), installed);
}

void InstallationTest::helpItemsOpenTheHelpPages()
{
    UrlRecorder opened;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &opened, "open");
    QDesktopServices::setUrlHandler(QStringLiteral("mailto"), &opened, "open");
    {
        TestDatabase db;
        ScriptedDialogs dialogs;
        MainWindow w(db.session());
        w.open();
        for (const char* item : {"N23", "N24", "N25"})
            w.findChild<QAction*>(QString::fromLatin1(item))->trigger();
    }
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));

    QCOMPARE(opened.urls.size(), 3);
    QCOMPARE(opened.urls.at(0).toLocalFile(), ProgramFiles::find(QStringLiteral("help/faq.html")));
    QCOMPARE(opened.urls.at(1).scheme(), QStringLiteral("mailto"));
    QCOMPARE(opened.urls.at(2).toLocalFile(),
             ProgramFiles::find(QStringLiteral("help/index.html")));

    // Every page is reachable from the home page and every link leads to a page.
    const QDir help = QFileInfo(opened.urls.at(2).toLocalFile()).dir();
    const QStringList pages = help.entryList({QStringLiteral("*.html")}, QDir::Files);
    QSet<QString> linked{QStringLiteral("index.html")};
    static const QRegularExpression link(QStringLiteral("href=\"([^\"]+)\""));
    for (const QString& page : pages) {
        QFile file(help.filePath(page));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(file.readAll());
        QVERIFY2(html.contains(QStringLiteral("<html lang=\"zh-CN\">")), qPrintable(page));
        for (const auto& match : link.globalMatch(html)) {
            QVERIFY2(pages.contains(match.captured(1)),
                     qPrintable(page + ": " + match.captured(1)));
            linked << match.captured(1);
        }
    }
    QCOMPARE(QSet<QString>(pages.begin(), pages.end()), linked);
    QVERIFY(pages.size() >= 6);
}

void InstallationTest::everyWindowShowsTheProgramIcon()
{
    qApp->setWindowIcon(ProgramIcon::icon());
    const QIcon icon = qApp->windowIcon();
    QCOMPARE(icon.availableSizes(), (QList<QSize>{QSize(48, 48), QSize(128, 128)}));

    TestDatabase db;
    ScriptedDialogs dialogs;
    ProgramWindows windows(db.session());
    const QWidgetList all = QApplication::topLevelWidgets();
    QVERIFY(all.size() >= 7);
    for (const QWidget* window : all)
        QVERIFY2(window->windowIcon().cacheKey() == icon.cacheKey(),
                 qPrintable(window->objectName()));
}

QTEST_MAIN(InstallationTest)
#include "installation_test.moc"
