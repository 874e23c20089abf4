#include "waybill/windows/print_window.h"

#include "store/command_error.h"
#include "ui/dialogs.h"
#include "ui/error_report.h"
#include "ui/ui_fonts.h"
#include "ui/widgets.h"
#include "waybill/print_log.h"
#include "waybill/printing/printer_choice.h"
#include "waybill/printing/printing_job.h"
#include "waybill/run_pages.h"
#include "waybill/waybill_pages.h"
#include "waybill/windows/layout_view.h"

#include <QApplication>
#include <QBoxLayout>
#include <QEvent>
#include <QFrame>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QToolButton>
#include <QWindow>

PrintWindow::PrintWindow(const StoreSession& store, WaybillVariant variant, const Design& design,
                         QWidget* parent)
    : QDialog(parent), m_store(store), m_layout(WaybillLayout::forWindow(variant))
{
    setObjectName(windowClassName(variant));
    setWindowTitle(design.caption);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);

    auto* menu = new QMenuBar(this);
    menu->setNativeMenuBar(false);
    QAction* n1 = menu->addAction(design.command);
    n1->setObjectName(QStringLiteral("N1"));
    connect(n1, &QAction::triggered, this, &PrintWindow::previewAndPrint);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameStyle(QFrame::Box | QFrame::Sunken);
    panel->setFixedSize(design.clientArea);

    const QFont font = UiFonts::songti(12);
    // 48 x 12, the box of four 12-px characters, whatever the substitute
    // font's line spacing.
    Widgets::label(panel, QStringLiteral(u"左右移动"), 416, 10, font)->resize(48, 12);
    m_horizontalShift = Widgets::lineEdit(panel, QStringLiteral("Edit1"), 468, 8, 65, 18, font);
    QPushButton* button2 =
        Widgets::button(panel, QStringLiteral("Button2"), QStringLiteral(u"确定"), 544, 7, 50, 20);
    Widgets::label(panel, QStringLiteral(u"上下移动"), 624, 10, font)->resize(48, 12);
    m_verticalShift = Widgets::lineEdit(panel, QStringLiteral("Edit2"), 676, 8, 65, 18, font);
    QPushButton* button3 =
        Widgets::button(panel, QStringLiteral("Button3"), QStringLiteral(u"确定"), 752, 7, 50, 20);
    for (QLineEdit* box : {m_horizontalShift, m_verticalShift})
        box->setFrame(false);
    // Enter in a box applies nothing: only the buttons do.
    for (QPushButton* button : {button2, button3}) {
        button->setFont(font);
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    connect(button2, &QPushButton::clicked, this, &PrintWindow::shiftHorizontally);
    connect(button3, &QPushButton::clicked, this, &PrintWindow::shiftVertically);

    m_view = new LayoutView(m_layout, panel);
    m_view->move(5, design.layoutTop);
    connect(m_view, &LayoutView::pictureClicked, this, &PrintWindow::chooseFont);
    addCalibrationCommands(panel, menu);
    addNumberCommand(panel);
    connect(&PrinterChoice::notifier(), &PrinterChoice::Notifier::changed, this,
            &PrintWindow::printerChosen);

    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(0);
    box->setMenuBar(menu);
    box->addWidget(panel);
    box->setSizeConstraint(QLayout::SetFixedSize);
    takeStoredCalibration();
    restoreTemplate();
}

void PrintWindow::shiftHorizontally()
{
    runCommand([this] { m_adjustments.shiftHorizontally(m_horizontalShift->text()); });
    layoutChanged();
}

void PrintWindow::shiftVertically()
{
    runCommand([this] { m_adjustments.shiftVertically(m_verticalShift->text()); });
    layoutChanged();
}

void PrintWindow::chooseFont()
{
    const std::optional<QFont> font =
        Dialogs::current().chooseFont(this, m_adjustments.chooserFont());
    noteBoxClosed();
    if (!font)
        return;
    m_adjustments.applyFont(*font);
    layoutChanged();
}

bool PrintWindow::printedTodayAnswered(PageSource& pages)
{
    LoggedPage page;
    if (isBatch(m_layout.variant()) || !pages.describePage(0, page))
        return true;
    bool printed = false;
    try {
        printed = PrintLog::PrintedRecipients::today(m_store).contains(page.recipient);
    } catch (const CommandError&) {
        // Unreadable log: nothing to warn of; the print says if it cannot log.
    }
    return !printed ||
           Dialogs::confirm(this, QStringLiteral(u"该收件人今天已经打印过，确定要再打印吗？"),
                            Dialogs::Default::No);
}

void PrintWindow::previewAndPrint()
{
    runCommand([this] {
        const std::unique_ptr<PageSource> source = pages();
        auto* run = dynamic_cast<RunPages*>(source.get());
        if (run)
            run->setOrderNumber(m_orderNumber);
        if (run && !m_firstNumber.isEmpty()) {
            run->setNumbers(numbersFor(run->pageCount()));
            if (const QString used = run->refusal(); !used.isEmpty()) {
                Dialogs::notice(this, used);
                return;
            }
        }
        if (!printedTodayAnswered(*source))
            return;
        PrintJob job(m_store);
        Dialogs::current().preview(this, *source, job);
        // The order was this recipient's; the pad goes on where this run
        // left it.
        if (job.pagesSent() > 0)
            m_orderNumber.clear();
        if (run && !m_firstNumber.isEmpty())
            m_firstNumber = run->nextNumber();
    });
    refreshWarnings();
}

WaybillNumbers::Series PrintWindow::numbersFor(int count) const
{
    if (m_firstNumber.isEmpty())
        return {};
    return WaybillNumbers::Series(m_firstNumber, m_numberRule, count);
}

void PrintWindow::addNumberCommand(QWidget* panel)
{
    auto* action = new QAction(QStringLiteral(u"运单号…"), this);
    action->setObjectName(QStringLiteral("waybillNumbers"));
    connect(action, &QAction::triggered, this, &PrintWindow::askWaybillNumbers);
    panel->addAction(action);
    QAction* order = nullptr;
    if (!isBatch(m_layout.variant())) {
        order = new QAction(QStringLiteral(u"订单编号…"), this);
        order->setObjectName(QStringLiteral("orderNumber"));
        connect(order, &QAction::triggered, this, &PrintWindow::askOrderNumber);
        panel->addAction(order);
    }
    if (auto* button = panel->findChild<QToolButton*>(QStringLiteral("calibrationButton")))
        if (QMenu* menu = button->menu()) {
            menu->addSeparator();
            menu->addAction(action);
            if (order)
                menu->addAction(order);
        }
}

void PrintWindow::askOrderNumber()
{
    const std::optional<QString> order = Dialogs::current().editLine(
        this, QStringLiteral(u"订单编号"),
        QStringLiteral(u"下一张运单所属的平台订单编号（打印后清空）："), m_orderNumber);
    noteBoxClosed();
    if (order)
        m_orderNumber = order->trimmed();
}

void PrintWindow::askWaybillNumbers()
{
    using WaybillNumbers::Rule;
    const QStringList buttons{QStringLiteral(u"逐张加一"), QStringLiteral(u"S10（计算校验位）"),
                              QStringLiteral(u"不填运单号"), QStringLiteral(u"取消")};
    const int chosen = Dialogs::current().choose(
        this, QStringLiteral(u"运单号"),
        QStringLiteral(u"本次打印的运单纸上的号码如何编排？\n逐张加一：整本的运单纸，号码依次加一；"
                       u"S10：两个字母、八位数字、校验位、两个字母。"),
        buttons,
        m_firstNumber.isEmpty()     ? 2
        : m_numberRule == Rule::S10 ? 1
                                    : 0);
    noteBoxClosed();
    if (chosen == 3)
        return;
    if (chosen == 2) {
        m_firstNumber.clear();
        return;
    }
    const std::optional<QString> first = Dialogs::current().editLine(
        this, QStringLiteral(u"运单号"),
        QStringLiteral(u"首张运单纸上的运单号（下一张起依次编排）："), m_firstNumber);
    noteBoxClosed();
    if (!first)
        return;
    const Rule rule = chosen == 1 ? Rule::S10 : Rule::PlusOne;
    runCommand([&] {
        WaybillNumbers::Series(first->trimmed(), rule, 1);
        m_firstNumber = first->trimmed().toUpper();
        m_numberRule = rule;
    });
}

void PrintWindow::refreshWarnings()
{
    m_view->setWarnings(pages()->warnings(0));
}

void PrintWindow::runCommand(const std::function<void()>& command)
{
    if (!ErrorReport::run(this, command))
        noteBoxClosed();
}

void PrintWindow::noteBoxClosed()
{
    // A box that took the activation away gives it back later, by event.
    if (isVisible() && !isActiveWindow())
        boxTookActivation();
}

void PrintWindow::showEvent(QShowEvent* event)
{
    // Outlines the warnings too: the window is visible by now.
    m_shown = true;
    takeStoredCalibration();
    QDialog::showEvent(event);
    if (const QScreen* s = screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(s->availableGeometry().center());
        move(frame.topLeft());
    }
}

CurrentRowPrintWindow::CurrentRowPrintWindow(const StoreSession& store, WaybillVariant variant,
                                             const Design& design, Dataset& senderQuery,
                                             Dataset& recipientQuery, QWidget* parent)
    : PrintWindow(store, variant, design, parent), m_sender(senderQuery),
      m_recipients(recipientQuery)
{
}

namespace {

// A window's pages as a run, owning the pages they wrap.
struct OwnedPages {
    std::unique_ptr<WaybillPages> pages;
};
class WindowRun : private OwnedPages, public RunPages {
public:
    WindowRun(const StoreSession& store, const WaybillLayout& layout, const Dataset* sender,
              const Dataset* recipients, RecordMode mode)
        : OwnedPages{std::make_unique<WaybillPages>(layout, sender, recipients, mode)},
          RunPages(store, *pages, recipients, mode)
    {
    }
};

} // namespace

std::unique_ptr<PageSource> CurrentRowPrintWindow::pages()
{
    return std::make_unique<WindowRun>(store(), layout(), &m_sender, &m_recipients,
                                       RecordMode::CurrentRow);
}

AllRowsPrintWindow::AllRowsPrintWindow(const StoreSession& store, WaybillVariant variant,
                                       const Design& design, const TableQuery& recipientQuery,
                                       QWidget* parent)
    : PrintWindow(store, variant, design, parent),
      m_queries(store, recipientQuery, PrintingQueries::Rows::ReadOnReopen)
{
    // The system may leave no window active for a moment while focus moves
    // between our own windows; another of them taking focus means the next
    // activation comes from inside the program.
    connect(qApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow* window) {
        if (window && window != windowHandle())
            otherWindowFocused();
    });
}

bool AllRowsPrintWindow::markRead()
{
    if (m_activation != Activation::Unread)
        return false;
    m_activation = Activation::Rereads;
    return true;
}

void AllRowsPrintWindow::rereadRows()
{
    markRead();
    runCommand([this] { m_queries.reopen(); });
    refreshWarnings();
}

std::unique_ptr<PageSource> AllRowsPrintWindow::pages()
{
    // Printed before the first activation (by a script, say): the rows it
    // would have read at creation are read now.
    if (markRead())
        m_queries.reopen();
    return std::make_unique<WindowRun>(store(), layout(), &m_queries.sender, &m_queries.recipients,
                                       RecordMode::EveryRow);
}

void AllRowsPrintWindow::opened()
{
    // Each opening activates afresh, whatever happened before the close.
    if (m_activation != Activation::Unread) {
        m_activation = Activation::Rereads;
        return;
    }
    // A window manager may show the window without activating it; its rows
    // are still there to print. The box of a failed read takes the place
    // of the read, so the activation after the box's reads again.
    m_activation = Activation::ReadOnShow;
    runCommand([this] { m_queries.reopen(); });
}

void AllRowsPrintWindow::activated()
{
    if (m_activation == Activation::Rereads || m_activation == Activation::Unread)
        rereadRows();
    else
        m_activation = Activation::Rereads;
}

void AllRowsPrintWindow::deactivated()
{
    // No window of the program active now: the user went to another
    // program, and coming back from there is no activation of ours.
    if (QApplication::activeWindow())
        otherWindowFocused();
    else if (m_activation != Activation::Unread)
        m_activation = Activation::LeftTheProgram;
}

void AllRowsPrintWindow::otherWindowFocused()
{
    if (m_activation == Activation::LeftTheProgram)
        m_activation = Activation::Rereads;
}

void AllRowsPrintWindow::boxTookActivation()
{
    if (m_activation != Activation::Unread)
        m_activation = Activation::BoxClosed;
}

bool AllRowsPrintWindow::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::Show:
        opened();
        break;
    case QEvent::WindowDeactivate:
        deactivated();
        break;
    case QEvent::WindowActivate:
        activated();
        break;
    default:
        break;
    }
    return PrintWindow::event(event);
}
