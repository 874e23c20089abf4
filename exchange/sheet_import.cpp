#include "exchange/sheet_import.h"

#include "exchange/recipient_sheet.h"
#include "exchange/sheet_error.h"
#include "exchange/sheet_file.h"
#include "store/connection.h"
#include "store/statements.h"
#include "store/store_error.h"

SheetImport::Outcome SheetImport::run(const QString& pathText)
{
    m_detail.clear();
    m_rows = 0;
    const QString path = pathText.trimmed();
    if (path.isEmpty())
        return Outcome::NoPath;

    SheetRows recipients;
    try {
        recipients = RecipientSheet::recipients(SheetFile::read(path));
    } catch (const SheetError& e) {
        m_detail = QString::fromStdString(e.what());
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
    m_rows = int(recipients.size());
    return Outcome::Imported;
}

void SheetImport::replaceImported(const SheetRows& recipients)
{
    static const QString emptyText = QStringLiteral("");
    m_connection.beginTransaction();
    try {
        m_connection.execute(Statements::deleteImported());
        {
            Connection::Prepared insert = m_connection.prepare(Statements::insertImported({}).text);
            QVariantList bound;
            for (const QStringList& values : recipients) {
                bound.clear();
                // An empty cell is stored as an empty text, not NULL.
                for (const QString& v : values)
                    bound << (v.isNull() ? emptyText : v);
                insert.execute(bound);
            }
        }
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
