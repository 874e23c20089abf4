#include "exchange/sheet_import.h"

#include "exchange/recipient_sheet.h"
#include "exchange/sheet_error.h"
#include "exchange/sheet_file.h"
#include "records/address_book.h"
#include "store/bulk_insert.h"
#include "store/connection.h"
#include "store/schema.h"
#include "store/statements.h"
#include "store/statements_numbers.h"
#include "store/store_error.h"
#include "store/store_tables.h"

#include <QSet>
#include <QSqlQuery>
#include <new>
#include <optional>

namespace {

QString reasonFor(const SheetError& e, const QString& path)
{
    using Kind = SheetError::Kind;
    switch (e.kind()) {
    case Kind::NotFound:
        return QStringLiteral(u"找不到文件：%1").arg(path);
    case Kind::NotAFile:
        return QStringLiteral(u"所选的不是文件：%1").arg(path);
    case Kind::Unopenable:
        return QStringLiteral(u"无法打开文件（没有读取权限）：%1").arg(path);
    case Kind::TooLarge:
        return QStringLiteral(u"文件太大，不是收件人表格。");
    case Kind::NoSheet:
        return QStringLiteral(u"工作簿中没有工作表。");
    case Kind::Encrypted:
        return QStringLiteral(u"工作簿设有密码，请在Excel中取消密码后再导入。");
    case Kind::Empty:
        return QStringLiteral(u"表格是空的，第一行应为列标题（收件人姓名、收件地址等）。");
    case Kind::MissingColumn:
        return e.text();
    case Kind::Damaged:
        break;
    }
    return QStringLiteral(u"文件已损坏，或不是Excel工作簿（.xls、.xlsx）或CSV文件。");
}

int countRepeatedMobiles(const RecipientSheet& recipients)
{
    QSet<QString> seen;
    int repeated = 0;
    for (qsizetype row = 0; row < recipients.rowCount(); ++row) {
        const QString key = AddressBook::mobileKey(recipients.value(row, AddressBook::Mobile));
        if (key.isEmpty())
            continue;
        if (seen.contains(key))
            ++repeated;
        seen.insert(key);
    }
    return repeated;
}

// Empties excel and writes `count` rows of `value(row, column)` in one
// transaction; with `previous`, what it held goes there first.
template <typename Value>
void replaceImported(Connection& connection, qsizetype count, const Value& value,
                     const SheetImport::Progress& progress, SheetRows* previous)
{
    static const QString emptyText = QStringLiteral("");
    const bool orders = StoreTables::holdsNumbers(connection);
    // It reads what it replaces, then writes: the write lock first, as
    // another desk's write could not then come between.
    connection.beginWriting();
    try {
        const SqlDialect& dialect = connection.dialect();
        if (const QString lock = dialect.lockForReplace(Schema::importedTable); !lock.isEmpty())
            connection.execute({lock, {}});
        SheetRows held;
        if (previous) {
            QSqlQuery rows = connection.run({dialect.selectRows(Schema::importedTable), {}});
            while (rows.next()) {
                QStringList texts;
                for (int c = 0; c < RecipientSheet::columnCount; ++c)
                    texts << rows.value(c).toString();
                held << texts;
            }
            QSqlQuery kept =
                orders ? connection.run({dialect.selectRows(Schema::importedOrdersTable), {}})
                       : QSqlQuery();
            while (orders && kept.next())
                if (const qsizetype at = kept.value(0).toLongLong() - 1;
                    at >= 0 && at < held.size()) {
                    held[at].resize(RecipientSheet::keptCount);
                    held[at][RecipientSheet::orderColumn] = kept.value(1).toString();
                    held[at][RecipientSheet::shopColumn] = kept.value(2).toString();
                }
        }
        connection.execute(Statements::deleteImported());
        if (orders)
            connection.execute(NumberStatements::deleteImportedOrders());
        {
            BulkInsert insert(connection, Schema::importedTable, Schema::recipientColumns());
            // Written after the rows: one connection sends one COPY at a time.
            QList<QVariantList> orderRows;
            QVariantList bound;
            for (qsizetype row = 0; row < count; ++row) {
                bound.clear();
                // An empty cell is stored as an empty text, not NULL.
                for (int c = 0; c < RecipientSheet::columnCount; ++c) {
                    const QString text = value(row, c);
                    bound << (text.isNull() ? emptyText : text);
                }
                insert.add(bound);
                const QString order = value(row, RecipientSheet::orderColumn);
                const QString shop = value(row, RecipientSheet::shopColumn);
                if (orders && (!order.isEmpty() || !shop.isEmpty()))
                    orderRows.append({QString::number(row + 1), order, shop});
                if (progress && ((row + 1) % 1000 == 0 || row + 1 == count))
                    progress(int(row + 1), int(count));
            }
            insert.finish();
            if (!orderRows.isEmpty()) {
                BulkInsert ordersInsert(connection, Schema::importedOrdersTable,
                                        Schema::importedOrdersColumns());
                for (const QVariantList& o : orderRows)
                    ordersInsert.add(o);
                ordersInsert.finish();
            }
        }
        connection.commit();
        if (previous)
            *previous = std::move(held);
    } catch (...) {
        connection.rollback();
        throw;
    }
}

} // namespace

SheetImport::Outcome SheetImport::run(const QString& pathText)
{
    m_detail.clear();
    m_reason.clear();
    m_sheet.clear();
    m_rows = 0;
    m_repeatedMobiles = 0;
    m_skippedLines = 0;
    const QString path = pathText.trimmed();
    if (path.isEmpty())
        return Outcome::NoPath;

    RecipientSheet recipients;
    try {
        m_sheet = SheetFile::read(path, recipients);
        recipients.finish();
    } catch (const SheetTooLarge& e) {
        m_reason = m_detail = e.text();
        return Outcome::Unreadable;
    } catch (const SheetError& e) {
        m_detail = e.text();
        m_reason = reasonFor(e, path);
        return Outcome::Unreadable;
    } catch (const std::bad_alloc&) {
        m_reason = m_detail = QStringLiteral(u"内存不足");
        return Outcome::Unreadable;
    }

    try {
        m_connection.open();
    } catch (const StoreError& e) {
        m_detail = e.text();
        return Outcome::NoConnection;
    }

    try {
        replaceImported(
            m_connection, recipients.rowCount(),
            [&](qsizetype row, int column) { return recipients.value(row, column); }, m_progress,
            m_previous);
    } catch (const StoreError& e) {
        m_detail = e.text();
        return Outcome::NotWritten;
    }
    m_rows = int(recipients.rowCount());
    m_repeatedMobiles = countRepeatedMobiles(recipients);
    m_skippedLines = recipients.skippedLines();
    return Outcome::Imported;
}

void SheetImport::restore(Connection& connection, const SheetRows& rows)
{
    // As an import does: a failed one may have left it closed.
    connection.open();
    replaceImported(
        connection, rows.size(),
        [&](qsizetype row, int column) { return rows.at(row).value(column); }, {}, nullptr);
}

QString SheetImport::message(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Imported:
        return QStringLiteral(u"批量导入EXCEL成功!");
    case Outcome::NoPath:
        return QStringLiteral(u"请正确选择相关路径！");
    case Outcome::NoConnection:
        return QStringLiteral(u"连接ACCESS失败!");
    case Outcome::Unreadable:
    case Outcome::NotWritten:
        break;
    }
    return QStringLiteral(u"批量导入EXCEL失败!");
}

QString SheetImport::report(Outcome outcome) const
{
    QString text = message(outcome);
    switch (outcome) {
    case Outcome::Imported:
        text += QStringLiteral(u"\n共导入%1条收件人信息。").arg(m_rows);
        if (m_skippedLines > 0)
            text += QStringLiteral(u"\n列标题上方的%1行不是收件人，未导入。").arg(m_skippedLines);
        if (!m_sheet.isEmpty() && m_sheet.compare(SheetFile::sheetName, Qt::CaseInsensitive) != 0)
            text +=
                QStringLiteral(u"\n工作簿中没有Sheet1，读取的是第一个工作表“%1”。").arg(m_sheet);
        if (m_repeatedMobiles > 0)
            text += QStringLiteral(u"\n其中%1条的手机号码与前面的行相同，请检查是否重复。")
                        .arg(m_repeatedMobiles);
        break;
    case Outcome::Unreadable:
        text += u'\n' + m_reason;
        break;
    case Outcome::NotWritten:
        text += QStringLiteral(u"\n无法写入数据库：") + m_detail;
        break;
    case Outcome::NoPath:
    case Outcome::NoConnection:
        break;
    }
    return text;
}
