#include "waybill/windows/print_log_window.h"

#include "exchange/shipping_sheet.h"
#include "store/connection.h"
#include "ui/dialogs.h"
#include "ui/error_report.h"
#include "ui/ui_fonts.h"
#include "ui/widgets.h"
#include "waybill/print_log.h"
#include "waybill/printing/printer_choice.h"
#include "waybill/printing/printing_job.h"
#include "waybill/waybill_layout.h"
#include "waybill/windows/scan_window.h"

#include <QAbstractTableModel>
#include <QBoxLayout>
#include <QDate>
#include <QHeaderView>
#include <QScopeGuard>
#include <QSettings>
#include <QTableView>
#include <algorithm>

// The entries found, as the list shows them; a log of any length is only
// its lines' texts in memory.
class PrintLogModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setEntries(QList<PrintLogEntry> entries)
    {
        beginResetModel();
        m_entries = std::move(entries);
        endResetModel();
    }
    const QList<PrintLogEntry>& entries() const { return m_entries; }

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_entries.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : 8;
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role != Qt::DisplayRole || !index.isValid())
            return {};
        const PrintLogEntry& e = m_entries.at(index.row());
        if (index.column() == 1) {
            // The log keeps the class name; the list shows the window's.
            const std::optional<WaybillVariant> window = variantForWindow(e.window);
            return window ? windowShownName(*window) : e.window;
        }
        const QString* texts[] = {&e.printedAt, &e.window,  &e.destination, &e.name,
                                  &e.mobile,    &e.address, &e.orderNumber, &e.waybillNumber};
        return *texts[index.column()];
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        static const QStringList titles{QStringLiteral(u"打印时间"), QStringLiteral(u"打印窗口"),
                                        QStringLiteral(u"打印到"),   QStringLiteral(u"收件人姓名"),
                                        QStringLiteral(u"手机号码"), QStringLiteral(u"收件地址"),
                                        QStringLiteral(u"订单编号"), QStringLiteral(u"运单号")};
        if (role == Qt::DisplayRole && orientation == Qt::Horizontal)
            return titles.value(section);
        return QAbstractTableModel::headerData(section, orientation, role);
    }

private:
    QList<PrintLogEntry> m_entries;
};

PrintLogWindow::PrintLogWindow(const StoreSession& store, QWidget* parent, qsizetype listed)
    : QDialog(parent), m_store(store), m_listed(listed)
{
    setObjectName(QStringLiteral("TDyjlForm"));
    setWindowTitle(QStringLiteral(u"打印记录"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFont(UiFonts::songti(14));
    resize(1017, 560);

    auto* bar = new QHBoxLayout;
    const auto box = [this, bar](const QString& caption, const QString& name, int width) {
        bar->addWidget(new QLabel(caption, this));
        auto* edit = new QLineEdit(this);
        edit->setObjectName(name);
        edit->setFixedWidth(width);
        bar->addWidget(edit);
        connect(edit, &QLineEdit::returnPressed, this, &PrintLogWindow::search);
        return edit;
    };
    m_name = box(QStringLiteral(u"姓  名"), QStringLiteral("Edit1"), 100);
    m_mobile = box(QStringLiteral(u"手机号码"), QStringLiteral("Edit2"), 130);
    m_date = box(QStringLiteral(u"打印日期"), QStringLiteral("Edit3"), 110);
    // The form a date is searched by, shown as today's.
    m_date->setPlaceholderText(QDate::currentDate().toString(Qt::ISODate));
    m_number = box(QStringLiteral(u"单号"), QStringLiteral("Edit4"), 130);
    m_number->setToolTip(QStringLiteral(u"订单编号或运单号，可扫描"));
    auto* search = new QPushButton(QStringLiteral(u"查 询"), this);
    search->setObjectName(QStringLiteral("Button1"));
    auto* reprint = new QPushButton(QStringLiteral(u"重新打印"), this);
    reprint->setObjectName(QStringLiteral("Button2"));
    auto* scan = new QPushButton(QStringLiteral(u"扫描回填"), this);
    scan->setObjectName(QStringLiteral("Button3"));
    auto* ship = new QPushButton(QStringLiteral(u"导出发货单"), this);
    ship->setObjectName(QStringLiteral("Button4"));
    for (QPushButton* b : {search, reprint, scan, ship}) {
        b->setAutoDefault(false);
        bar->addWidget(b);
    }
    bar->addStretch(1);
    connect(search, &QPushButton::clicked, this, &PrintLogWindow::search);
    connect(reprint, &QPushButton::clicked, this, &PrintLogWindow::reprint);
    connect(scan, &QPushButton::clicked, this, &PrintLogWindow::openScan);
    connect(ship, &QPushButton::clicked, this, &PrintLogWindow::exportShipment);
    m_scan = new ScanWindow(m_store, this);

    m_model = new PrintLogModel(this);
    m_list = new QTableView(this);
    m_list->setObjectName(QStringLiteral("DBGridEh1"));
    m_list->setModel(m_model);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->verticalHeader()->hide();
    m_list->horizontalHeader()->setStretchLastSection(true);
    // A platform's order number runs to twenty digits, read whole.
    m_list->setColumnWidth(6, m_list->fontMetrics().horizontalAdvance(QString(20, u'0')) + 12);
    m_list->setToolTip(QStringLiteral(u"选中要重新打印的页，可按住 Ctrl 或 Shift 多选"));

    m_more = new QLabel(
        QStringLiteral(u"仅显示最近 %1 页，请按姓名、手机号码、日期或运单号查找更早的记录")
            .arg(m_listed),
        this);
    m_more->setObjectName(QStringLiteral("MoreNote"));
    m_more->hide();

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_more);
}

QList<qlonglong> PrintLogWindow::listedNumbers() const
{
    QList<qlonglong> numbers;
    for (const PrintLogEntry& e : m_model->entries())
        numbers << e.number;
    return numbers;
}

void PrintLogWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    Widgets::centreOnScreen(this);
    search();
}

void PrintLogWindow::search()
{
    ErrorReport::run(this, [this] {
        Connection connection(m_store);
        connection.open();
        PrintLog::FoundEntries found =
            PrintLog::find(connection, m_name->text(), m_mobile->text(), m_date->text().trimmed(),
                           m_number->text().trimmed(), m_listed);
        m_more->setVisible(found.more);
        m_model->setEntries(std::move(found.entries));
    });
}

QString PrintLogWindow::chosenRun() const
{
    const QModelIndexList chosen = m_list->selectionModel()->selectedRows();
    if (chosen.isEmpty() && m_model->entries().isEmpty())
        return {};
    const qlonglong page =
        m_model->entries().at(chosen.isEmpty() ? 0 : chosen.first().row()).number;
    Connection connection(m_store);
    connection.open();
    return PrintLog::runOf(connection, page);
}

void PrintLogWindow::openScan()
{
    QString run;
    if (!ErrorReport::run(this, [&] { run = chosenRun(); }))
        return;
    if (run.isEmpty()) {
        Dialogs::notice(this, QStringLiteral(u"请先选择要回填运单号的打印记录！"));
        return;
    }
    if (ErrorReport::run(this, [&] { m_scan->openRun(run); }))
        m_scan->exec();
    search();
}

void PrintLogWindow::exportShipment()
{
    const QString since = m_date->text().trimmed();
    QString run;
    if (since.isEmpty() && !ErrorReport::run(this, [&] { run = chosenRun(); }))
        return;
    if (since.isEmpty() && run.isEmpty()) {
        Dialogs::notice(this, QStringLiteral(u"请先选择一批打印记录，或填写打印日期！"));
        return;
    }
    QString type;
    const QString name = Dialogs::current().saveFile(
        this, QStringLiteral(u"导出发货单"),
        QStringLiteral(u"Excel 工作簿 (*.xlsx);;CSV 逗号分隔 (*.csv)"), &type);
    if (name.isEmpty())
        return;
    // The courier's name as the shop's platform spells it, kept from one
    // day's sheet to the next.
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("sfwaybill"),
                       QStringLiteral("shipping"));
    const QString kept = settings.value(QStringLiteral("courier")).toString();
    const std::optional<QString> courier = Dialogs::current().editText(
        this, QStringLiteral(u"导出发货单"), QStringLiteral(u"物流公司："),
        kept.isEmpty() ? ShippingSheet::defaultCourier : kept);
    if (!courier)
        return;
    const QString chosen = courier->trimmed();
    settings.setValue(QStringLiteral("courier"), chosen);
    ErrorReport::run(this, [&] {
        Connection connection(m_store);
        connection.open();
        const SheetRows rows = ShippingSheet::rows(connection, run, since, chosen);
        const bool csv = name.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive) ||
                         (!name.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive) &&
                          type.contains(QStringLiteral("*.csv")));
        const QString written = ShippingSheet::write(rows, name, csv);
        Dialogs::inform(
            this,
            QStringLiteral(u"发货单已导出：%1\n共%2个运单号。").arg(written).arg(rows.size() - 1));
    });
}

void PrintLogWindow::reprint()
{
    QList<qlonglong> numbers;
    for (const QModelIndex& row : m_list->selectionModel()->selectedRows())
        numbers << m_model->entries().at(row.row()).number;
    if (numbers.isEmpty()) {
        Dialogs::notice(this, QStringLiteral(u"请先选择要重新打印的记录！"));
        return;
    }
    // In the order they were printed first.
    std::sort(numbers.begin(), numbers.end());
    ErrorReport::run(this, [&] {
        Connection connection(m_store);
        connection.open();
        QList<LoggedPage> logged = PrintLog::pages(connection, numbers);
        connection.close();
        // Another program may have restored an older log meanwhile.
        if (logged.isEmpty()) {
            Dialogs::notice(this, QStringLiteral(u"所选记录已不在打印记录中！"));
            return;
        }
        LoggedPages pages(std::move(logged));
        // Where the printer chosen, now or in the preview, puts its pages.
        pages.setPrinter(PrinterChoice::inUse());
        const QMetaObject::Connection chosen =
            connect(&PrinterChoice::notifier(), &PrinterChoice::Notifier::changed, this,
                    [&pages] { pages.setPrinter(PrinterChoice::inUse()); });
        const auto unhear = qScopeGuard([&chosen] { disconnect(chosen); });
        PrintJob job(m_store);
        Dialogs::current().preview(this, pages, job);
    });
    search();
}
