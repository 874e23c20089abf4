#include "waybill/print_log.h"

#include "records/address_book.h"
#include "store/connection.h"
#include "store/recipient_key.h"
#include "store/schema.h"
#include "store/statements.h"
#include "store/statements_numbers.h"
#include "store/store_error.h"
#include "store/store_tables.h"
#include "waybill/page_renderer.h"
#include "waybill/print_error.h"
#include "waybill/print_window_adjustments.h"

#include <QFileInfo>
#include <QSqlQuery>
#include <algorithm>

namespace {

// Why the log cannot be kept on this store: its table was missing when
// the connection opened and could not be made (a role without CREATE, a
// read-only file). Empty when it can.
QString missingLog(const Connection& connection)
{
    if (connection.holds(Schema::printLogTable))
        return {};
    return QStringLiteral(u"没有打印记录表，也无法建立：%1").arg(connection.schemaFailure());
}

// A store the schema steps could not change (read-only, a role that may
// not alter tables) keeps its log without the page's template.
bool holdsTemplateColumn(Connection& connection)
{
    QSqlQuery q =
        connection.run(Statements::tableColumns(connection.dialect(), Schema::printLogTable));
    while (q.next())
        if (q.value(0).toString() == Schema::printLogTemplateColumn)
            return true;
    return false;
}

// The window column: its class name, and the template's after " 模板 "
// when the page was not the window's own.
const QString templateMark = QStringLiteral(u" 模板 ");

std::optional<WaybillVariant> windowOf(const QString& logged, QString& templateName)
{
    const qsizetype mark = logged.indexOf(templateMark);
    if (mark < 0)
        return variantForWindow(logged);
    templateName = logged.mid(mark + templateMark.size());
    return variantForWindow(logged.left(mark));
}

// Never NULL, which no search would find: a page without recipient is
// listed too.
QString text(const QString& value)
{
    return value.isNull() ? QStringLiteral("") : value;
}

const QChar separator = QLatin1Char('\t');
const QChar escape = QLatin1Char('\\');

// The values in one text, tab-separated.
QString packed(const QStringList& values, qsizetype count)
{
    QString text;
    text.reserve(count * 16);
    for (qsizetype i = 0; i < count; ++i) {
        if (i > 0)
            text += separator;
        const QString value = values.value(i);
        if (std::none_of(value.cbegin(), value.cend(),
                         [](QChar c) { return c == separator || c == escape; })) {
            text += value;
            continue;
        }
        for (const QChar c : value) {
            if (c == separator)
                text += QStringLiteral("\\t");
            else if (c == escape)
                text += QStringLiteral("\\\\");
            else
                text += c;
        }
    }
    return text;
}

QStringList unpacked(const QString& text, qsizetype count)
{
    QStringList values{QString()};
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == separator) {
            values << QString();
        } else if (c == escape && i + 1 < text.size()) {
            ++i;
            values.last() += text.at(i) == QLatin1Char('t') ? separator : text.at(i);
        } else {
            values.last() += c;
        }
    }
    values.resize(count);
    return values;
}

constexpr qsizetype numbersPerLookup = 500;
constexpr qsizetype pagesNamed = 10;

// The pages of `numbers` (each with its page's index) whose numbers the
// log holds already, named, up to `limit` of them.
QStringList usedPages(Connection& connection, const QList<std::pair<qsizetype, QString>>& numbers,
                      qsizetype limit)
{
    QSet<QString> used;
    for (qsizetype from = 0; from < numbers.size(); from += numbersPerLookup) {
        QStringList some;
        for (const auto& n : numbers.mid(from, numbersPerLookup))
            some << n.second;
        QSqlQuery q = connection.run(NumberStatements::selectUsedNumbers(some));
        while (q.next())
            used.insert(q.value(0).toString());
    }
    QStringList named;
    for (const auto& [index, number] : numbers)
        if (used.contains(number) && named.size() < limit)
            named << QStringLiteral(u"第%1页 %2").arg(index + 1).arg(number);
    return named;
}

QString refusalNaming(const QStringList& named)
{
    if (named.isEmpty())
        return {};
    return QStringLiteral(u"运单号已经用过，未打印：%1").arg(named.join(QStringLiteral(u"，")));
}

// Which of `numbers` (each with its page's index) the log holds already,
// the pages named; empty when none.
QString alreadyUsed(Connection& connection, const QList<std::pair<qsizetype, QString>>& numbers)
{
    return refusalNaming(usedPages(connection, numbers, pagesNamed));
}

// Each listed page's order and waybill number, where the store has them:
// only the pages from the oldest listed on are numbered and read.
void addNumbers(Connection& connection, QList<PrintLogEntry>& entries)
{
    if (entries.isEmpty() || !connection.holds(Schema::waybillNumbersTable))
        return;
    QHash<qlonglong, qsizetype> at;
    qlonglong first = entries.first().number;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        at.insert(entries.at(i).number, i);
        first = std::min(first, entries.at(i).number);
    }
    QSqlQuery q = connection.run(NumberStatements::selectNumbersFrom(connection.dialect(), first));
    while (q.next())
        if (const auto it = at.constFind(q.value(0).toLongLong()); it != at.constEnd()) {
            entries[*it].orderNumber = q.value(1).toString();
            entries[*it].waybillNumber = q.value(2).toString();
        }
}

// The entries `select` lists, one at a time as they are read.
void visitSelected(Connection& connection, const Statement& select,
                   const PrintLog::VisitEntry& each)
{
    // The list says why it cannot be read rather than pass for an empty log.
    if (const QString missing = missingLog(connection); !missing.isEmpty())
        throw StoreError(missing);
    QSqlQuery q = connection.run(select);
    PrintLogEntry e;
    while (q.next()) {
        e.number = q.value(0).toLongLong();
        e.printedAt = q.value(1).toString();
        e.window = q.value(2).toString();
        e.destination = q.value(3).toString();
        e.name = q.value(4).toString();
        e.mobile = q.value(5).toString();
        e.address = q.value(6).toString();
        each(e);
    }
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

std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };

QString timeText(const QDateTime& at)
{
    return at.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString write(Connection& connection, qsizetype count, const DescribePage& describe,
              const QString& destination, const QDateTime& at)
{
    const QString time = timeText(at);
    const qsizetype senders = Schema::senderColumns().size();
    const qsizetype recipients = Schema::recipientColumns().size();
    // Many rows a statement: the engine's work per statement, not per
    // row, is what a batch would otherwise pay ten thousand times.
    constexpr int rowsPerStatement = 30;
    const qsizetype perRow = Schema::printLogColumns().size();
    std::optional<Connection::Prepared> full, fullNumbers;
    QVariantList values, numberValues;
    QList<std::pair<qsizetype, QString>> numbered; // page index and number
    values.reserve(rowsPerStatement * perRow);
    int rows = 0;
    qlonglong logged = 0; // pages in the log before this one
    QString run;
    bool numbers = false; // the store has the number tables
    bool withTemplate = false;
    const auto insert = [&] {
        if (!numbered.isEmpty()) {
            if (const QString used = alreadyUsed(connection, numbered); !used.isEmpty())
                throw StoreError(used);
            numbered.clear();
        }
        if (rows == rowsPerStatement) {
            if (!full) {
                full.emplace(
                    connection.prepare(Statements::insertPrintLog(rowsPerStatement, withTemplate)));
                fullNumbers.emplace(
                    connection.prepare(NumberStatements::insertWaybillNumbers(rowsPerStatement)));
            }
            full->execute(values);
            if (numbers)
                fullNumbers->execute(numberValues);
        } else {
            connection.prepare(Statements::insertPrintLog(rows, withTemplate)).execute(values);
            if (numbers)
                connection.prepare(NumberStatements::insertWaybillNumbers(rows))
                    .execute(numberValues);
        }
        values.clear();
        numberValues.clear();
        rows = 0;
    };
    // A batch's pages share the sender and the layout: made into text once.
    std::optional<Calibration> lastCalibration;
    std::optional<QStringList> lastSender;
    QString font, sender;
    bool begun = false;
    try {
        for (qsizetype i = 0; i < count; ++i) {
            LoggedPage page;
            if (!describe(i, page))
                continue;
            if (!begun) {
                if (const QString missing = missingLog(connection); !missing.isEmpty())
                    throw StoreError(missing);
                numbers = StoreTables::holdsNumbers(connection);
                withTemplate = holdsTemplateColumn(connection);
                // The pages' places in the log are counted from here: no
                // other desk's pages may come between.
                connection.beginWriting();
                begun = true;
                if (const QString lock = NumberStatements::lockLog(connection.dialect());
                    !lock.isEmpty())
                    connection.execute({lock, {}});
                if (numbers) {
                    QSqlQuery q = connection.run(NumberStatements::countPrintLog());
                    logged = q.next() ? q.value(0).toLongLong() : 0;
                    QSqlQuery last = connection.run(NumberStatements::lastRun());
                    run = QString::number((last.next() ? last.value(0).toLongLong() : 0) + 1);
                }
            }
            if (!numbers && !page.waybillNumber.isEmpty())
                throw StoreError(QStringLiteral(u"数据库中没有运单号表，也无法建立"));
            const Calibration& c = page.calibration;
            if (!lastCalibration || !(*lastCalibration == c)) {
                font = c.font ? c.font->toString() : QStringLiteral("");
                lastCalibration = c;
            }
            if (!lastSender || *lastSender != page.sender) {
                sender = packed(page.sender, senders);
                lastSender = page.sender;
            }
            values << time
                   << (page.layoutTemplate.isEmpty()
                           ? windowClassName(page.window)
                           : windowClassName(page.window) + templateMark + page.layoutTemplate)
                   << destination << c.right.value << c.down.value << font
                   << text(page.recipient.value(AddressBook::Name))
                   << text(page.recipient.value(AddressBook::Mobile))
                   << text(page.recipient.value(AddressBook::Address)) << sender
                   << packed(page.recipient, recipients);
            if (withTemplate)
                values << text(page.templateFile);
            numberValues << QString::number(++logged) << run << text(page.orderNumber)
                         << text(page.shop) << text(page.waybillNumber);
            if (!page.waybillNumber.isEmpty())
                numbered << std::pair{i, page.waybillNumber};
            if (++rows == rowsPerStatement)
                insert();
        }
        if (rows > 0)
            insert();
        full.reset();
        fullNumbers.reset();
        if (begun)
            connection.commit();
    } catch (...) {
        full.reset();
        fullNumbers.reset();
        if (begun)
            connection.rollback();
        throw;
    }
    return run;
}

QString write(Connection& connection, const QList<LoggedPage>& pages, const QString& destination,
              const QDateTime& at)
{
    return write(
        connection, pages.size(),
        [&pages](qsizetype index, LoggedPage& page) {
            page = pages.at(index);
            return true;
        },
        destination, at);
}

QString write(const StoreSession& store, RecordedPages& pages, const QString& destination)
{
    LoggedPage first;
    if (pages.drawnCount() == 0 || !pages.describeDrawn(0, first))
        return {};
    Connection connection(store);
    connection.open();
    return write(
        connection, pages.drawnCount(),
        [&pages](qsizetype index, LoggedPage& page) { return pages.describeDrawn(index, page); },
        destination, now());
}

QString usedNumbers(Connection& connection, const WaybillNumbers::Series& numbers, qsizetype count)
{
    const qsizetype total = count < 0 ? numbers.count() : std::min(count, numbers.count());
    QStringList named;
    bool looked = false;
    // Slices in page order: the first pages named are those of all pages.
    for (qsizetype from = 0; from < total && named.size() < pagesNamed; from += numbersPerLookup) {
        QList<std::pair<qsizetype, QString>> given;
        for (qsizetype i = from; i < std::min(total, from + numbersPerLookup); ++i)
            if (QString number = numbers.at(i); !number.isEmpty())
                given << std::pair{i, std::move(number)};
        if (given.isEmpty())
            continue;
        if (!looked) {
            if (!missingLog(connection).isEmpty() || !StoreTables::holdsNumbers(connection))
                return {};
            looked = true;
        }
        named << usedPages(connection, given, pagesNamed - named.size());
    }
    return refusalNaming(named);
}

QString runOf(Connection& connection, qlonglong number)
{
    if (!connection.holds(Schema::waybillNumbersTable))
        return {};
    QSqlQuery q = connection.run(NumberStatements::selectNumbersOf(connection.dialect(), {number}));
    return q.next() ? q.value(1).toString() : QString();
}

FoundEntries find(Connection& connection, const QString& name, const QString& mobile,
                  const QString& date, const QString& number, qsizetype atMost)
{
    std::optional<Statement> among;
    // A missing log is said below, as without a number.
    if (!number.isEmpty() && missingLog(connection).isEmpty()) {
        if (!StoreTables::holdsNumbers(connection))
            return {};
        among = NumberStatements::selectPagesWithNumber(connection.dialect(), number);
    }
    // One more than listed tells that there are more.
    FoundEntries found;
    visitSelected(
        connection,
        Statements::selectPrintLog(connection.dialect(), name, mobile, date, {}, among, atMost + 1),
        [&found, atMost](const PrintLogEntry& e) {
            if (found.entries.size() < atMost)
                found.entries << e;
            else
                found.more = true;
        });
    addNumbers(connection, found.entries);
    return found;
}

void visit(Connection& connection, const QString& name, const QString& mobile, const QString& date,
           const QString& since, const VisitEntry& each)
{
    visitSelected(connection,
                  Statements::selectPrintLog(connection.dialect(), name, mobile, date, since),
                  each);
}

QList<LoggedPage> pages(Connection& connection, const QList<qlonglong>& numbers)
{
    // No page of it was ever logged there.
    if (!missingLog(connection).isEmpty())
        return {};
    const int senders = int(Schema::senderColumns().size());
    const int recipients = int(Schema::recipientColumns().size());
    const int firstText = 1 + Schema::printLogMetaColumns;
    const bool withTemplate = holdsTemplateColumn(connection);
    QHash<qlonglong, LoggedPage> found;
    // Bounded lists of markers, however many pages were chosen.
    for (qsizetype from = 0; from < numbers.size(); from += 500) {
        QSqlQuery q = connection.run(Statements::selectPrintLogPages(
            connection.rowIdentity(), numbers.mid(from, 500), withTemplate));
        while (q.next()) {
            LoggedPage page;
            const std::optional<WaybillVariant> window =
                windowOf(q.value(2).toString(), page.layoutTemplate);
            if (!window)
                continue;
            page.window = *window;
            if (withTemplate)
                page.templateFile = q.value(firstText + 5).toString();
            page.destination = q.value(3).toString();
            page.calibration.right = {q.value(4).toInt()};
            page.calibration.down = {q.value(5).toInt()};
            if (const QString font = q.value(6).toString(); !font.isEmpty()) {
                QFont f;
                if (f.fromString(font))
                    page.calibration.font = f;
            }
            page.sender = unpacked(q.value(firstText + 3).toString(), senders);
            page.recipient = unpacked(q.value(firstText + 4).toString(), recipients);
            found.insert(q.value(0).toLongLong(), page);
        }
    }
    // A page printed again is for the same order; its form is another one,
    // with a number of its own.
    if (connection.holds(Schema::waybillNumbersTable))
        for (qsizetype from = 0; from < numbers.size(); from += 500) {
            QSqlQuery q = connection.run(
                NumberStatements::selectNumbersOf(connection.dialect(), numbers.mid(from, 500)));
            while (q.next())
                if (const auto it = found.find(q.value(0).toLongLong()); it != found.end()) {
                    it->orderNumber = q.value(2).toString();
                    it->shop = q.value(4).toString();
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
    PrintedRecipients printed;
    if (!missingLog(connection).isEmpty())
        return printed;
    QSqlQuery q = connection.run(
        Statements::selectPrintedRecipients(day.toString(QStringLiteral("yyyy-MM-dd"))));
    while (q.next()) {
        const QString mobile = AddressBook::mobileKey(q.value(2).toString());
        if (!mobile.isEmpty()) {
            printed.m_mobiles.insert(mobile);
            printed.m_keys.insert(RecipientKey::hashOfMobile(mobile));
            continue;
        }
        const QString name = q.value(0).toString().trimmed();
        const QString address = q.value(1).toString().trimmed();
        printed.m_namesAndAddresses.insert({name, address});
        if (const quint32 key = RecipientKey::hashOfNameAndAddress(name, address))
            printed.m_keys.insert(key);
    }
    return printed;
}

PrintedRecipients PrintedRecipients::today(const StoreSession& store)
{
    Connection connection(store);
    connection.open();
    return on(connection, now().date());
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

std::optional<int> countPrintedToday(const StoreSession& store, PageSource& pages)
{
    LoggedPage page;
    const int count = pages.pageCount();
    if (count < 1 || !pages.describePage(0, page))
        return std::nullopt;
    const PrintedRecipients printed = PrintedRecipients::today(store);
    // The first batch of a day walks none of its pages.
    if (printed.isEmpty())
        return 0;
    int already = 0;
    // Only the pages of today's recipients, when the pages know their keys:
    // a million-page batch is not walked for a few pages printed today.
    if (const std::optional<QList<int>> keyed = pages.pagesKeyedAs(printed.keys())) {
        for (const int i : *keyed)
            if (pages.describePage(i, page) && printed.contains(page.recipient))
                ++already;
        return already;
    }
    for (int i = 0; i < count; ++i)
        if (pages.describePage(i, page) && printed.contains(page.recipient))
            ++already;
    return already;
}

} // namespace PrintLog

void RecordedPages::drawPage(QPainter& painter, int index)
{
    m_pages.drawPage(painter, index);
    if (m_seen.empty())
        m_seen.resize(std::max(1, m_pages.pageCount()));
    if (index < 0 || size_t(index) >= m_seen.size() || m_seen[size_t(index)])
        return;
    m_seen[size_t(index)] = true;
    if (!m_runs.isEmpty() && m_runs.last().first + m_runs.last().count == index)
        ++m_runs.last().count;
    else
        m_runs.append({m_drawn, index, 1});
    ++m_drawn;
}

bool RecordedPages::describeDrawn(qsizetype at, LoggedPage& page)
{
    if (at < 0 || at >= m_drawn)
        return false;
    const auto after =
        std::upper_bound(m_runs.cbegin(), m_runs.cend(), at,
                         [](qsizetype a, const Run& r) { return a < r.drawnBefore; });
    const Run& run = *std::prev(after);
    return m_pages.describePage(run.first + int(at - run.drawnBefore), page);
}

LoggedPages::LoggedPages(QList<LoggedPage> pages) : m_pages(std::move(pages))
{
    for (qsizetype i = 0; i < m_pages.size(); ++i) {
        LoggedPage& page = m_pages[i];
        // Logged before the template was kept: a built-in one is known by name.
        if (page.templateFile.isEmpty() && !page.layoutTemplate.isEmpty())
            for (const QString& name : LayoutTemplates::builtInNames())
                if (LayoutTemplates::builtIn(name)->name == page.layoutTemplate)
                    page.templateFile = name;
        if (page.templateFile.isEmpty() && !page.layoutTemplate.isEmpty())
            throw PrintError(QStringLiteral(u"第 %1 页的模板“%2”未记下文件，无法重新打印")
                                 .arg(i + 1)
                                 .arg(page.layoutTemplate));
        if (page.templateFile.isEmpty() || m_templates.contains(page.templateFile))
            continue;
        const LayoutTemplate* builtIn = LayoutTemplates::builtIn(page.templateFile);
        if (!builtIn && !QFileInfo::exists(page.templateFile))
            throw PrintError(
                QStringLiteral(u"第 %1 页的模板文件已不在：%2").arg(i + 1).arg(page.templateFile));
        const LayoutTemplate t = builtIn ? *builtIn : LayoutTemplates::read(page.templateFile);
        m_templates.insert(page.templateFile, t);
        m_calibrationKeys.insert(page.templateFile,
                                 WaybillLayout::fromTemplate(t, page.window).calibrationKey());
    }
    // One paper for the whole run.
    for (qsizetype i = 0; i < m_pages.size(); ++i) {
        const QString& file = m_pages.at(i).templateFile;
        const QSizeF paper =
            file.isEmpty() ? WaybillLayout::paperSizeMm() : m_templates.value(file).paperMm;
        if (i == 0)
            m_paper = paper;
        else if (paper != m_paper)
            throw PrintError(QStringLiteral(u"所选记录的纸张大小不同（第 1 页 %1 × %2 毫米，"
                                            u"第 %3 页 %4 × %5 毫米），请分开重新打印")
                                 .arg(m_paper.width())
                                 .arg(m_paper.height())
                                 .arg(i + 1)
                                 .arg(paper.width())
                                 .arg(paper.height()));
    }
}

const WaybillLayout& LoggedPages::layoutFor(int index, std::optional<WaybillLayout>& fitted)
{
    const LoggedPage& page = m_pages.at(index);
    const Calibration calibration = calibrationOf(page);
    if (!m_layout || m_layout->variant() != page.window || m_layoutTemplate != page.templateFile ||
        !(m_layoutCalibration == calibration)) {
        m_layout =
            page.templateFile.isEmpty()
                ? WaybillLayout::forWindow(page.window)
                : WaybillLayout::fromTemplate(m_templates.value(page.templateFile), page.window);
        LayoutAdjustments(*m_layout).apply(calibration);
        m_layoutTemplate = page.templateFile;
        m_layoutCalibration = calibration;
    }
    if (m_shrinkTo > 0)
        fitted = PageRenderer::shrinkToFit(
            *m_layout,
            [&page](RecordRole role, const QString& column) { return page.field(role, column); },
            m_fonts, m_shrinkTo);
    return fitted ? *fitted : *m_layout;
}

void LoggedPages::drawPage(QPainter& painter, int index)
{
    if (index < 0 || index >= m_pages.size())
        return;
    const LoggedPage& page = m_pages.at(index);
    std::optional<WaybillLayout> fitted;
    PageRenderer::drawRecord(
        painter, layoutFor(index, fitted),
        [&page](RecordRole role, const QString& column) { return page.field(role, column); },
        m_fonts);
}

QList<FieldWarning> LoggedPages::warnings(int index)
{
    if (index < 0 || index >= m_pages.size())
        return {};
    const LoggedPage& page = m_pages.at(index);
    std::optional<WaybillLayout> fitted;
    const WaybillLayout& layout = layoutFor(index, fitted);
    return PageWarnings::check(layout, PageRenderer::measureRecord(
                                           layout,
                                           [&page](RecordRole role, const QString& column) {
                                               return page.field(role, column);
                                           },
                                           m_fonts));
}

bool LoggedPages::describePage(int index, LoggedPage& page)
{
    if (index < 0 || index >= m_pages.size())
        return false;
    page = m_pages.at(index);
    page.calibration = calibrationOf(page);
    return true;
}

void LoggedPages::setPrinter(const QString& printer)
{
    m_printer = printer;
    m_stored.clear();
}

Calibration LoggedPages::calibrationOf(const LoggedPage& page)
{
    if (!m_printer || page.destination == *m_printer)
        return page.calibration;
    const QString key = m_calibrationKeys.value(page.templateFile);
    const auto stored = [&](const QString& printer) {
        const QString at = printer + QLatin1Char('\n') + key;
        if (const auto it = m_stored.constFind(at); it != m_stored.constEnd())
            return *it;
        const Calibration c = CalibrationStore().load(printer, key).value_or(Calibration{});
        m_stored.insert(at, c);
        return c;
    };
    const Calibration from = stored(page.destination);
    const Calibration to = stored(*m_printer);
    Calibration c = page.calibration;
    c.right.value += to.right.value - from.right.value;
    c.down.value += to.down.value - from.down.value;
    return c;
}
