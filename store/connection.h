#pragma once

#include "store/schema_steps.h"
#include "store/sql_dialect.h"
#include "store/statement.h"

#include <QObject>
#include <QSet>
#include <QSqlDatabase>
#include <QString>
#include <memory>
#include <optional>

class QSqlDriver;
class QSqlQuery;

struct ServerAddress;
class StoreSession;

// One connection to data.mdb, or to the PostgreSQL server a StoreSession
// names. Several live at once (main window, import window, the two batch
// windows), so each has its own name; on the file a busy timeout and a
// rollback journal that keeps backups a single file.
class Connection : public QObject {
    Q_OBJECT
public:
    // For openFile() and openServer() only.
    explicit Connection(QObject* parent = nullptr);
    // open() opens what `store` names then; it must outlive the connection.
    explicit Connection(const StoreSession& store, QObject* parent = nullptr);
    ~Connection() override;

    // UpToDate: the store's tables are brought to this program's shape
    // (SchemaSteps) as it opens. AsItIs: left as they are, for a file that
    // is only read from (a backup copied elsewhere).
    enum class Shape { UpToDate, AsItIs };

    // Opens the store's server, else its data.mdb; throws StoreError. A
    // file that is missing is not created.
    void open();
    // The store open() opens; none for a connection made without one.
    const StoreSession* store() const { return m_store; }
    // Opens an explicit database file, same rules.
    void openFile(const QString& path, Shape shape = Shape::UpToDate);
    // Opens a PostgreSQL database; its password comes from ~/.pgpass.
    void openServer(const ServerAddress& address, Shape shape = Shape::UpToDate);
    void close();
    bool isOpen() const;
    // The file, or the server's URL.
    QString path() const { return m_path; }
    const SqlDialect& dialect() const { return m_dialect; }
    // False for one of the program's tables that the store lacked on
    // opening and could not be given; schemaFailure() says why.
    bool holds(const QString& table) const { return !m_schema.missing.contains(table); }
    QString schemaFailure() const { return m_schema.failure; }

    // Runs a statement that returns no rows; throws StoreError.
    void execute(const Statement& statement);
    // Prepares and runs a statement; throws StoreError.
    QSqlQuery run(const Statement& statement);

    void beginTransaction();
    // A transaction that will write: on the file it takes the write lock at
    // once, so a read inside it cannot be overtaken by another desk's write.
    // Its commit on the file is noted for ownCommitsOnly().
    void beginWriting();
    void commit();
    void rollback();

    // Where data.mdb stands, both read at one moment: PRAGMA data_version,
    // which moves with other connections' commits only, and the change
    // counter of the file's header, which every commit moves.
    struct Mark {
        qint64 dataVersion = -1;
        qint64 counter = -1; // -1: unknown
    };
    Mark mark();
    // Whether every commit between two marks of this connection was its own
    // or one of this program's, written through beginWriting() by a
    // connection that changed neither `table` nor the tables' shapes. A
    // commit of another program, or one not noted, answers false.
    bool ownCommitsOnly(const Mark& from, const Mark& to, const QString& table) const;
    // The engine's own driver, for reading large results its own way.
    QSqlDriver* driver() const;

    // The column that addresses a row for later edits; not a column of
    // the tables themselves.
    QString rowIdentity() const { return m_dialect.rowIdentity(); }

    // One statement prepared once and run for many rows (an import of tens
    // of thousands of rows goes in well under a second this way).
    class Prepared {
    public:
        Prepared(Prepared&&) noexcept = default;
        ~Prepared();
        // Binds `values` to the markers in order and runs; throws StoreError.
        void execute(const QVariantList& values);

    private:
        friend class Connection;
        explicit Prepared(std::unique_ptr<QSqlQuery> query);
        std::unique_ptr<QSqlQuery> m_query;
        // What each marker holds: a value the last run bound stays bound,
        // since Qt formats a name for every value bound, which is most of
        // the cost of a row that repeats most of its values (the print
        // log's pages of a batch).
        QVariantList m_bound;
    };
    // Throws StoreError when the statement does not prepare.
    Prepared prepare(const QString& text);

    // Changes whenever a restore replaced the content of the file, so rows
    // read before cannot be addressed any more.
    qint64 generation();
    // The error for work on a database that another program replaced.
    static QString replacedText();

signals:
    void aboutToClose();

private:
    QSqlDatabase database() const;
    QSqlDatabase handleFor(const QString& driver);
    // The engine's text, put in context when the file was replaced.
    QString failureText(const QString& engineText) const;
    void takeShape(Shape shape);
    void noteCommit(const Mark& before);
    static int authorize(void* self, int action, const char* first, const char*, const char*,
                         const char*);

    const StoreSession* m_store = nullptr;
    QString m_name;
    QString m_path;
    SqlDialect m_dialect;
    SchemaSteps::State m_schema;
    quint64 m_device = 0;
    quint64 m_inode = 0;
    int m_id = 0;
    std::optional<Mark> m_writingFrom; // of the transaction beginWriting() began
    // What the statements prepared since the file was opened may change:
    // rows of these tables (lower case), or more.
    QSet<QString> m_written;
    bool m_reshapes = false;
};
