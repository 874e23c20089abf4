#pragma once

#include "waybill/calibration_store.h"
#include "waybill/layout_template.h"
#include "waybill/page_source.h"
#include "waybill/shaped_text.h"
#include "waybill/waybill_numbers.h"

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QPair>
#include <QSet>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

class Connection;
class RecordedPages;
class StoreSession;

// One page as the print log keeps it: the window whose layout drew it, how
// far that layout stood from the catalogue and the font chosen, and the two
// rows it read. Drawn again from this, it is the same page whatever became
// of the rows since.
struct LoggedPage {
    WaybillVariant window = WaybillVariant::AddressBookSingle;
    Calibration calibration;
    QStringList sender;    // Schema::senderColumns() order
    QStringList recipient; // Schema::recipientColumns() order
    QString destination;   // printer or file, as logged; "" for a page not yet printed
    QString orderNumber;   // the platform's order the recipient came with
    QString shop;          // the shop or platform that order is from
    QString waybillNumber; // the form's pre-printed number, when known
    // The template's name when the page was not the window's own, and
    // what finds it again: a built-in one's name or the file's whole path
    // ("" for a page logged before it was kept).
    QString layoutTemplate;
    QString templateFile;

    QString field(RecordRole role, const QString& column) const;
};

// One line of the log as the log window and `sfwaybill-cli log` list it.
struct PrintLogEntry {
    qlonglong number = 0;
    QString printedAt;
    QString window;
    QString destination;
    QString name;
    QString mobile;
    QString address;
    QString orderNumber;
    QString waybillNumber;
};

// The table of every page sent to a printer or a PDF. A store whose table
// was missing and could not be made on opening (Connection::holds) has a
// log that cannot be written or listed (StoreError saying why) and no
// pages for a reprint or the printed-today question. Throw StoreError.
namespace PrintLog {

// Now, in local time: when pages printed now are logged and the day that
// is "today". Tests fix it.
extern std::function<QDateTime()> now;

// "yyyy-MM-dd HH:mm:ss" in local time, which sorts as it reads.
QString timeText(const QDateTime& at);

// The pages printed at `at` to `destination` (a printer or a file), in one
// transaction. `count` pages, each told by `describe` (false: no waybill,
// not logged) a few at a time as they are written, so that the log of a
// batch of any length holds no more than those few in memory. The pages
// are one run; gives its number ("" when nothing was logged). A waybill
// number the log holds already fails the whole write.
using DescribePage = std::function<bool(qsizetype index, LoggedPage& page)>;
QString write(Connection& connection, qsizetype count, const DescribePage& describe,
              const QString& destination, const QDateTime& at);
QString write(Connection& connection, const QList<LoggedPage>& pages, const QString& destination,
              const QDateTime& at);
// The pages drawn through `pages`, now, through a connection of its own to
// `store`; none opened when they are no waybills.
QString write(const StoreSession& store, RecordedPages& pages, const QString& destination);

// Why the first `count` of `numbers` (page i's at i; all of them when
// `count` is -1) cannot go on a run's pages: the pages whose numbers the
// log holds already, named with the numbers; empty when none does. The
// numbers are made and looked up a slice at a time, however many pages.
QString usedNumbers(Connection& connection, const WaybillNumbers::Series& numbers,
                    qsizetype count = -1);
// The run of the page with log number `number`; "" for a page logged
// before runs were.
QString runOf(Connection& connection, qlonglong number);

// Newest first: at most `atMost` of the pages whose recipient name and
// mobile contain `name` and `mobile`, whose time starts with `date`
// ("2026-12", "2026-12-09") and whose order or waybill number contains
// `number`, however old; empty texts match every page. Only those pages are
// read and numbered; `more` says that more matched.
struct FoundEntries {
    QList<PrintLogEntry> entries;
    bool more = false;
};
FoundEntries find(Connection& connection, const QString& name, const QString& mobile,
                  const QString& date, const QString& number, qsizetype atMost);
// The pages whose name, mobile and time match as find's, from `since` on,
// handed to `visit` one at a time as they are read, without their order
// and waybill numbers: a log of any length is listed in the memory of one
// entry.
using VisitEntry = std::function<void(const PrintLogEntry& entry)>;
void visit(Connection& connection, const QString& name, const QString& mobile, const QString& date,
           const QString& since, const VisitEntry& each);
// The pages with these numbers, in the order given; numbers not in the log
// are left out.
QList<LoggedPage> pages(Connection& connection, const QList<qlonglong>& numbers);

// The recipients of the pages printed on one day, known as the address
// book knows a recipient: by the digits of the mobile, or without one by
// name and address.
class PrintedRecipients {
public:
    static PrintedRecipients on(Connection& connection, QDate day);
    // Today's, through a connection of its own to `store`.
    static PrintedRecipients today(const StoreSession& store);

    // False for a page without recipient.
    bool contains(const QStringList& recipient) const;
    bool isEmpty() const { return m_mobiles.isEmpty() && m_namesAndAddresses.isEmpty(); }
    // Their RecipientKey::hash.
    const QSet<quint32>& keys() const { return m_keys; }

private:
    QSet<QString> m_mobiles;
    QSet<QPair<QString, QString>> m_namesAndAddresses;
    QSet<quint32> m_keys;
};

// How many of `pages` print a recipient that was printed today; nullopt
// when the pages are no waybills.
std::optional<int> countPrintedToday(const StoreSession& store, PageSource& pages);

} // namespace PrintLog

// Notes which pages were drawn through it, once each however many copies
// are drawn, and tells what they printed: what a print run hands to the
// log when it is done. The pages are described when asked, after the run:
// small allocations between pages would split the freed page buffers that
// PageBufferReuse keeps for the next page and make the heap grow again.
// Nothing changes the rows meanwhile: a run holds the program (its
// progress window is modal) and the command line does nothing else.
class RecordedPages : public PageSource {
public:
    explicit RecordedPages(PageSource& pages) : m_pages(pages) {}

    int pageCount() override { return m_pages.pageCount(); }
    QSizeF paperMm() override { return m_pages.paperMm(); }
    void drawPage(QPainter& painter, int index) override;
    bool describePage(int index, LoggedPage& page) override
    {
        return m_pages.describePage(index, page);
    }
    std::optional<QList<int>> pagesKeyedAs(const QSet<quint32>& keys) override
    {
        return m_pages.pagesKeyedAs(keys);
    }
    QList<FieldWarning> warnings(int index) override { return m_pages.warnings(index); }
    void setShrinkToFit(double minimumPoints) override { m_pages.setShrinkToFit(minimumPoints); }

    // The pages drawn, in the order first drawn: how many, and the one at
    // `at` of them, false when it is no waybill.
    qsizetype drawnCount() const { return m_drawn; }
    bool describeDrawn(qsizetype at, LoggedPage& page);

private:
    // Pages drawn one after the other, kept as one run: a batch of a
    // million pages in order is one run, not a million indices.
    struct Run {
        qsizetype drawnBefore; // pages drawn before the run's first
        int first;             // its first page index
        int count;
    };

    PageSource& m_pages;
    std::vector<bool> m_seen;
    QList<Run> m_runs;
    qsizetype m_drawn = 0;
};

// Pages of the log, drawn by the one renderer on the layout of the window
// or template that printed them, shifted and in the font they had. Their
// templates are read when made: one that is gone, or pages on papers of
// different sizes, throw PrintError naming them.
class LoggedPages : public PageSource {
public:
    explicit LoggedPages(QList<LoggedPage> pages);

    int pageCount() override { return int(m_pages.size()); }
    QSizeF paperMm() override { return m_paper; }
    void drawPage(QPainter& painter, int index) override;
    QList<FieldWarning> warnings(int index) override;
    void setShrinkToFit(double minimumPoints) override { m_shrinkTo = minimumPoints; }
    bool describePage(int index, LoggedPage& page) override;

    // Pages going to `printer` stand where its stored calibration puts them
    // instead of the one their printer had, what was shifted by hand kept.
    void setPrinter(const QString& printer);

private:
    // The page's calibration on the printer set.
    Calibration calibrationOf(const LoggedPage& page);
    // The layout page `index` is drawn on, its texts shrunk into `fitted`
    // when they are to fit.
    const WaybillLayout& layoutFor(int index, std::optional<WaybillLayout>& fitted);

    QList<LoggedPage> m_pages;
    QHash<QString, LayoutTemplate> m_templates; // by LoggedPage::templateFile
    QHash<QString, QString> m_calibrationKeys;  // the same
    QSizeF m_paper = WaybillLayout::paperSizeMm();
    std::optional<QString> m_printer;
    QHash<QString, Calibration> m_stored; // by printer and key, none stored as 0 0
    // The layout of the page drawn last, kept while the next one shares it.
    std::optional<WaybillLayout> m_layout;
    QString m_layoutTemplate;
    Calibration m_layoutCalibration;
    ShapedFonts m_fonts;
    double m_shrinkTo = 0;
};
