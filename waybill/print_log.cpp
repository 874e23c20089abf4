#include "waybill/print_log.h"

#include "records/address_book.h"
#include "store/connection.h"
#include "store/schema.h"
#include "store/statements.h"
#include "waybill/page_renderer.h"
#include "waybill/print_window_adjustments.h"

#include <QSqlQuery>

namespace {

void ensureTable(Connection& connection)
{
    connection.execute({Schema::createPrintLog(), {}});
}

} // namespace

QString LoggedPage::field(RecordRole role, const QString& column) const
{
    const bool sent = role == RecordRole::Sender;
    const qsizetype at =
        (sent ? Schema::senderColumns() : Schema::recipientColumns()).indexOf(column);
    return (sent ? sender : recipient).value(at);
}

namespace PrintLog {

QString timeText(const QDateTime& at)
{
    return at.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

void write(Connection& connection, const QList<LoggedPage>& pages, const QString& destination,
           const QDateTime& at)
{
    if (pages.isEmpty())
        return;
    ensureTable(connection);
    const QString time = timeText(at);
    const qsizetype senders = Schema::senderColumns().size();
    const qsizetype recipients = Schema::recipientColumns().size();
    connection.beginTransaction();
    try {
        {
            Connection::Prepared insert = connection.prepare(Statements::insertPrintLog());
            QVariantList values;
            values.reserve(Schema::printLogColumns().size());
            for (const LoggedPage& page : pages) {
                values.clear();
                const Calibration& c = page.calibration;
                values << time << windowClassName(page.window) << destination << c.right.value
                       << c.down.value << (c.font ? c.font->toString() : QString());
                for (qsizetype i = 0; i < senders; ++i)
                    values << page.sender.value(i);
                for (qsizetype i = 0; i < recipients; ++i)
                    values << page.recipient.value(i);
                insert.execute(values);
            }
        }
        connection.commit();
    } catch (...) {
        connection.rollback();
        throw;
    }
}

void write(const QList<LoggedPage>& pages, const QString& destination)
{
    if (pages.isEmpty())
        return;
    Connection connection;
    connection.open();
    write(connection, pages, destination, QDateTime::currentDateTime());
}

QList<PrintLogEntry> find(Connection& connection, const QString& name, const QString& mobile,
                          const QString& date, const QString& since)
{
    ensureTable(connection);
    QSqlQuery q = connection.run(
        Statements::selectPrintLog(connection.rowIdentity(), name, mobile, date, since));
    QList<PrintLogEntry> entries;
    while (q.next())
        entries << PrintLogEntry{q.value(0).toLongLong(), q.value(1).toString(),
                                 q.value(2).toString(),   q.value(3).toString(),
                                 q.value(4).toString(),   q.value(5).toString(),
                                 q.value(6).toString()};
    return entries;
}

QList<LoggedPage> pages(Connection& connection, const QList<qlonglong>& numbers)
{
    ensureTable(connection);
    const int senders = int(Schema::senderColumns().size());
    const int recipients = int(Schema::recipientColumns().size());
    const int firstText = 1 + Schema::printLogMetaColumns;
    QHash<qlonglong, LoggedPage> found;
    // Bounded lists of markers, however many pages were chosen.
    for (qsizetype from = 0; from < numbers.size(); from += 500) {
        QSqlQuery q = connection.run(
            Statements::selectPrintLogPages(connection.rowIdentity(), numbers.mid(from, 500)));
        while (q.next()) {
            const std::optional<WaybillVariant> window = variantForWindow(q.value(2).toString());
            if (!window)
                continue;
            LoggedPage page;
            page.window = *window;
            page.calibration.right = {q.value(4).toInt()};
            page.calibration.down = {q.value(5).toInt()};
            if (const QString font = q.value(6).toString(); !font.isEmpty()) {
                QFont f;
                if (f.fromString(font))
                    page.calibration.font = f;
            }
            for (int i = 0; i < senders; ++i)
                page.sender << q.value(firstText + i).toString();
            for (int i = 0; i < recipients; ++i)
                page.recipient << q.value(firstText + senders + i).toString();
            found.insert(q.value(0).toLongLong(), page);
        }
    }
    QList<LoggedPage> ordered;
    for (qlonglong n : numbers)
        if (const auto it = found.constFind(n); it != found.constEnd())
            ordered << *it;
    return ordered;
}

PrintedRecipients PrintedRecipients::on(Connection& connection, QDate day)
{
    ensureTable(connection);
    PrintedRecipients printed;
    QSqlQuery q = connection.run(
        Statements::selectPrintedRecipients(day.toString(QStringLiteral("yyyy-MM-dd"))));
    while (q.next()) {
        const QString mobile = AddressBook::mobileKey(q.value(2).toString());
        if (!mobile.isEmpty())
            printed.m_mobiles.insert(mobile);
        else
            printed.m_namesAndAddresses.insert(
                {q.value(0).toString().trimmed(), q.value(1).toString().trimmed()});
    }
    return printed;
}

PrintedRecipients PrintedRecipients::today()
{
    Connection connection;
    connection.open();
    return on(connection, QDate::currentDate());
}

bool PrintedRecipients::contains(const QStringList& recipient) const
{
    const QString mobile = AddressBook::mobileKey(recipient.value(AddressBook::Mobile));
    if (!mobile.isEmpty())
        return m_mobiles.contains(mobile);
    const QString name = recipient.value(AddressBook::Name).trimmed();
    const QString address = recipient.value(AddressBook::Address).trimmed();
    if (name.isEmpty() && address.isEmpty())
        return false;
    return m_namesAndAddresses.contains({name, address});
}

std::optional<int> countPrintedToday(PageSource& pages)
{
    LoggedPage page;
    const int count = pages.pageCount();
    if (count < 1 || !pages.describePage(0, page))
        return std::nullopt;
    const PrintedRecipients printed = PrintedRecipients::today();
    int already = 0;
    for (int i = 0; i < count; ++i)
        if (pages.describePage(i, page) && printed.contains(page.recipient))
            ++already;
    return already;
}

} // namespace PrintLog

void RecordedPages::drawPage(QPainter& painter, int index)
{
    m_pages.drawPage(painter, index);
    if (m_seen.contains(index))
        return;
    m_seen.insert(index);
    LoggedPage page;
    if (m_pages.describePage(index, page))
        m_drawn << std::move(page);
}

void LoggedPages::drawPage(QPainter& painter, int index)
{
    const LoggedPage& page = m_pages.at(index);
    if (!m_layout || m_layout->variant() != page.window ||
        !(m_layoutCalibration == page.calibration)) {
        m_layout = WaybillLayout::forWindow(page.window);
        LayoutAdjustments(*m_layout).apply(page.calibration);
        m_layoutCalibration = page.calibration;
    }
    PageRenderer::drawRecord(
        painter, *m_layout,
        [&page](RecordRole role, const QString& column) { return page.field(role, column); },
        m_fonts);
}

bool LoggedPages::describePage(int index, LoggedPage& page)
{
    if (index < 0 || index >= m_pages.size())
        return false;
    page = m_pages.at(index);
    return true;
}
