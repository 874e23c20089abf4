#include "exchange/sheet_import.h"

#include "exchange/recipient_sheet.h"
#include "exchange/sheet_error.h"
#include "exchange/sheet_file.h"
#include "store/connection.h"
#include "store/statements.h"
#include "store/store_error.h"

#include <QSqlError>
#include <QSqlQuery>

SheetImport::Outcome SheetImport::run(const QString& pathText)
{
    m_detail.clear();
    m_reason.clear();
    m_rows = 0;
    const QString path = pathText.trimmed();
    if (path.isEmpty())
        return Outcome::NoPath;

    RecipientSheet recipients;
    try {
        SheetFile::read(path, recipients);
        recipients.finish();
    } catch (const SheetTooLarge& e) {
        m_reason = m_detail = QString::fromUtf8(e.what());
        return Outcome::Unreadable;
    } catch (const SheetError& e) {
        m_detail = QString::fromStdString(e.what());
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
        replaceImported(recipients);
    } catch (const StoreError& e) {
        m_detail = e.text();
        return Outcome::NotWritten;
    }
    m_rows = int(recipients.rowCount());
    return Outcome::Imported;
}

void SheetImport::replaceImported(const RecipientSheet& recipients)
{
    static const QString emptyText = QStringLiteral("");
    m_connection.beginTransaction();
    try {
        m_connection.execute(Statements::deleteImported());
        // One prepared statement for every row: tens of thousands of rows
        // go in well under a second.
        QSqlQuery insert(m_connection.database());
        if (!insert.prepare(Statements::insertImported({}).text))
            throw StoreError(insert.lastError().text());
        for (qsizetype row = 0; row < recipients.rowCount(); ++row) {
            // An empty cell is stored as an empty text, not NULL.
            for (int i = 0; i < RecipientSheet::columnCount; ++i) {
                const QString value = recipients.value(row, i);
                insert.bindValue(i, value.isNull() ? emptyText : value);
            }
            if (!insert.exec())
                throw StoreError(insert.lastError().text());
        }
        insert.finish();
        m_connection.commit();
    } catch (...) {
        m_connection.rollback();
        throw;
    }
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
    return m_reason.isEmpty() ? message(outcome) : message(outcome) + QLatin1Char('\n') + m_reason;
}
