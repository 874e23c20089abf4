#include "waybill/windows/print_preview.h"

#include "store/command_error.h"
#include "ui/app_info.h"
#include "ui/dialogs.h"
#include "ui/error_report.h"
#include "waybill/calibration_store.h"
#include "waybill/page_source.h"
#include "waybill/print_log.h"
#include "waybill/printing/printer_choice.h"
#include "waybill/printing/printing.h"
#include "waybill/printing/printing_job.h"
#include "waybill/units.h"
#include "waybill/waybill_layout.h"
#include "waybill/windows/print_preview_page.h"
#include "waybill/windows/print_preview_thumbnails.h"
#include "waybill/windows/print_progress.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QBoxLayout>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <utility>

namespace {

const int thumbnailWidth = 160;
const int pageMargin = 16; // grey around the page when it is fitted

QSizeF pageSizeInPixels(PageSource& pages)
{
    const QSizeF mm = pages.paperMm();
    return {millimetresToPixels({mm.width()}), millimetresToPixels({mm.height()})};
}

} // namespace

PrintPreview::PrintPreview(PageSource& pages, PrintJob& job, QWidget* parent)
    : QDialog(parent), m_pages(pages), m_job(job), m_pageCount(qMax(1, pages.pageCount())),
      m_warned(pages, m_pageCount)
{
    setWindowTitle(QStringLiteral(u"打印预览"));
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);

    m_toolBar = new QToolBar(this);
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    auto* zoomGroup = new QActionGroup(this);
    QAction* fitPage = addCommand(QStringLiteral(u"合适大小"), QStringLiteral("fitPage"));
    QAction* fitWidth = addCommand(QStringLiteral(u"合适宽度"), QStringLiteral("fitWidth"));
    QAction* actual = addCommand(QStringLiteral(u"缩放100%"), QStringLiteral("actualSize"));
    for (QAction* a : {fitPage, fitWidth, actual}) {
        a->setCheckable(true);
        zoomGroup->addAction(a);
    }
    fitPage->setChecked(true);
    connect(fitPage, &QAction::triggered, this, [this] { setZoom(Zoom::FitPage); });
    connect(fitWidth, &QAction::triggered, this, [this] { setZoom(Zoom::FitWidth); });
    connect(actual, &QAction::triggered, this, [this] { setZoom(Zoom::Actual); });
    m_toolBar->addSeparator();

    QAction* first = addCommand(QStringLiteral(u"首 页"), QStringLiteral("firstPage"));
    QAction* previous = addCommand(QStringLiteral(u"上一页"), QStringLiteral("previousPage"));
    QAction* next = addCommand(QStringLiteral(u"下一页"), QStringLiteral("nextPage"));
    QAction* last = addCommand(QStringLiteral(u"末 页"), QStringLiteral("lastPage"));
    first->setShortcuts({QKeySequence(Qt::Key_Home), QKeySequence(Qt::CTRL | Qt::Key_PageUp)});
    previous->setShortcut(QKeySequence(Qt::Key_PageUp));
    next->setShortcut(QKeySequence(Qt::Key_PageDown));
    last->setShortcuts({QKeySequence(Qt::Key_End), QKeySequence(Qt::CTRL | Qt::Key_PageDown)});
    connect(first, &QAction::triggered, this, [this] { showPage(0); });
    connect(previous, &QAction::triggered, this, [this] { showPage(currentPage() - 1); });
    connect(next, &QAction::triggered, this, [this] { showPage(currentPage() + 1); });
    connect(last, &QAction::triggered, this, [this] { showPage(m_pageCount - 1); });
    m_toolBar->addSeparator();

    QAction* settings = addCommand(QStringLiteral(u"设 置"), QStringLiteral("settings"));
    connect(settings, &QAction::triggered, this, &PrintPreview::settings);
    QAction* print = addCommand(QStringLiteral(u"打 印"), QStringLiteral("print"));
    connect(print, &QAction::triggered, this, &PrintPreview::print);
    connect(addCommand(QStringLiteral(u"关 闭"), QStringLiteral("close")), &QAction::triggered,
            this, &QDialog::reject);
    // From the keyboard: the captions stay as they are, so the Alt keys are
    // shortcuts of their own.
    print->setShortcut(QKeySequence::Print);
    for (const auto& [key, action] :
         {std::pair{Qt::ALT | Qt::Key_P, print}, std::pair{Qt::ALT | Qt::Key_S, settings}}) {
        auto* shortcut = new QShortcut(QKeySequence(key), this);
        connect(shortcut, &QShortcut::activated, action, &QAction::trigger);
    }
    // Tab reaches every command; Enter and Space press the one with focus.
    for (QAction* action : m_toolBar->actions())
        if (QWidget* button = m_toolBar->widgetForAction(action)) {
            button->setFocusPolicy(Qt::StrongFocus);
            button->installEventFilter(this);
        }

    m_page = new PreviewPage(m_pages, pageSizeInPixels(m_pages));
    m_scroll = new QScrollArea;
    m_scroll->setBackgroundRole(QPalette::Dark);
    m_scroll->setAlignment(Qt::AlignCenter);
    m_scroll->setWidget(m_page);
    m_scroll->installEventFilter(this);

    m_thumbnails = new PreviewThumbnails(m_pages, m_pageCount, pageSizeInPixels(m_pages),
                                         thumbnailWidth, this);
    m_thumbnailList = new PreviewThumbnailList;
    m_thumbnailList->setObjectName(QStringLiteral("thumbnails"));
    m_thumbnailList->setIconSize(m_thumbnails->pictureSize());
    m_thumbnailList->setSpacing(4);
    m_thumbnailList->setModel(m_thumbnails);
    m_thumbnailList->setFocusPolicy(Qt::NoFocus);
    connect(m_thumbnailList->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& index) {
                if (index.isValid())
                    showPage(index.row());
            });
    auto* tabs = new QTabWidget;
    tabs->setTabPosition(QTabWidget::West);
    tabs->addTab(m_thumbnailList, QStringLiteral(u"缩略图"));
    tabs->setMinimumWidth(thumbnailWidth + 60);

    auto* splitter = new QSplitter;
    splitter->addWidget(tabs);
    splitter->addWidget(m_scroll);
    splitter->setStretchFactor(1, 1);

    auto* status = new QStatusBar;
    status->setSizeGripEnabled(false);
    m_building = new QLabel;
    m_building->setObjectName(QStringLiteral("building"));
    m_building->setMinimumWidth(60);
    m_indicator = new QLabel;
    m_indicator->setObjectName(QStringLiteral("pageIndicator"));
    m_indicator->setMinimumWidth(120);
    m_title = new QLabel; // these reports have no title
    m_title->setObjectName(QStringLiteral("reportTitle"));
    status->addWidget(m_building);
    status->addWidget(m_indicator);
    status->addWidget(m_title);
    // Before paper: what of the page shown, and how many pages of all, will
    // not print whole.
    m_pageWarnings = new QLabel;
    m_pageWarnings->setObjectName(QStringLiteral("pageWarnings"));
    m_batchWarnings = new QLabel;
    m_batchWarnings->setObjectName(QStringLiteral("batchWarnings"));
    for (QLabel* label : {m_pageWarnings, m_batchWarnings}) {
        label->setStyleSheet(QStringLiteral("color: #c00000"));
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
    // A long list must not widen the window; all of it is in the tooltip.
    m_pageWarnings->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    status->addWidget(m_pageWarnings, 1);
    status->addWidget(m_batchWarnings);
    m_nextWarning = new QPushButton(QStringLiteral(u"下一个警告"));
    m_nextWarning->setObjectName(QStringLiteral("nextWarning"));
    m_nextWarning->setVisible(false);
    connect(m_nextWarning, &QPushButton::clicked, this, &PrintPreview::showNextWarning);
    status->addWidget(m_nextWarning);
    m_printedToday = new QLabel;
    m_printedToday->setObjectName(QStringLiteral("printedToday"));
    status->addWidget(m_printedToday);
    m_destination = new QLabel;
    m_destination->setObjectName(QStringLiteral("destination"));
    m_offerSettings = new QPushButton(settings->text());
    m_offerSettings->setObjectName(QStringLiteral("offerSettings"));
    connect(m_offerSettings, &QPushButton::clicked, settings, &QAction::trigger);
    status->addPermanentWidget(m_destination);
    status->addPermanentWidget(m_offerSettings);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_toolBar);
    layout->addWidget(splitter, 1);
    layout->addWidget(status);

    // Maximised, so that the title bar does not push the status bar off the
    // screen; the geometry holds where nothing manages the windows.
    if (const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
        setGeometry(screen->availableGeometry());
    setWindowState(windowState() | Qt::WindowMaximized);
    m_checking = new QTimer(this);
    connect(m_checking, &QTimer::timeout, this, &PrintPreview::checkSomePages);
    m_warned.onWarned = [this](int index) { m_thumbnails->setWarned(index); };
    showPage(0);
    showDestination();
    // Each reads a batch through: not before the first page is up. A
    // preview never shown starts them as soon as the program is idle.
    connect(m_page, &PreviewPage::drawn, this, &PrintPreview::startBatchWork,
            Qt::SingleShotConnection);
    QTimer::singleShot(0, this, [this] {
        if (!isVisible())
            startBatchWork();
    });
}

void PrintPreview::startBatchWork()
{
    if (std::exchange(m_batchWorkStarted, true))
        return;
    resumeChecking();
    QTimer::singleShot(0, this, &PrintPreview::showPrintedToday);
}

QAction* PrintPreview::addCommand(const QString& caption, const QString& name)
{
    QAction* action = m_toolBar->addAction(caption);
    action->setObjectName(name);
    action->setShortcutContext(Qt::WindowShortcut);
    return action;
}

int PrintPreview::currentPage() const
{
    return m_page->page();
}

double PrintPreview::zoomFactor() const
{
    return m_page->zoom();
}

void PrintPreview::showPage(int index)
{
    index = qBound(0, index, m_pageCount - 1);
    m_page->setPage(index);
    const QModelIndex item = m_thumbnails->index(index);
    if (m_thumbnailList->currentIndex() != item)
        m_thumbnailList->setCurrentIndex(item);
    m_thumbnailList->showItem(item);
    updateIndicator();
}

bool PrintPreview::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_scroll && event->type() == QEvent::Resize)
        applyZoom();
    if (event->type() == QEvent::KeyPress)
        if (auto* button = qobject_cast<QToolButton*>(watched)) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                button->click();
                return true;
            }
        }
    return QDialog::eventFilter(watched, event);
}

void PrintPreview::setZoom(Zoom zoom)
{
    m_zoom = zoom;
    applyZoom();
}

void PrintPreview::applyZoom()
{
    const QSizeF page = m_page->pageSize();
    // As if no scroll bars were shown, so that the fit does not depend on
    // the zoom before it.
    const QSize room = m_scroll->maximumViewportSize() - QSize(2 * pageMargin, 2 * pageMargin);
    double factor = logicalDpiX() / Pixels::perInch;
    if (m_zoom == Zoom::FitPage)
        factor = qMin(room.width() / page.width(), room.height() / page.height());
    else if (m_zoom == Zoom::FitWidth)
        factor = (room.width() - m_scroll->verticalScrollBar()->sizeHint().width()) / page.width();
    m_page->setZoom(qMax(0.05, factor));
}

void PrintPreview::settings()
{
    QPrintDialog dialog(&m_job.printer(), this);
    dialog.setWindowTitle(QStringLiteral(u"打印设置"));
    dialog.setMinMax(1, m_pageCount);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange);
    // Its button would read "Print", yet it only keeps the settings; "打 印"
    // prints.
    if (auto* buttons = dialog.findChild<QDialogButtonBox*>())
        if (QPushButton* ok = buttons->button(QDialogButtonBox::Ok))
            ok->setText(QStringLiteral(u"确定"));
    if (dialog.exec() == QDialog::Accepted &&
        m_job.printer().outputFormat() == QPrinter::NativeFormat) {
        // The print windows take that printer's calibration at once.
        PrinterChoice::remember(m_job.printer().printerName());
        pagesChanged();
    }
    showDestination();
}

void PrintPreview::print()
{
    showDestination();
    // Each step of the progress windows lets the program idle: no slices
    // of the idle check in between.
    m_checking->stop();
    const auto resumed = qScopeGuard([this] { resumeChecking(); });
    const QScopedValueRollback printing(m_printing, true); // ends first
    if (!choosePrintingOfWarnedPages())
        return;
    ErrorReport::run(this, [this] {
        const bool printed = PrintProgress::run(this, m_job, m_pages,
                                                [this](int percent) { showBuilding(percent); });
        const QPrinter& printer = m_job.printer();
        QString done = QStringLiteral(u"打印已取消");
        if (printed)
            done = (printer.outputFormat() == QPrinter::PdfFormat
                        ? QStringLiteral(u"已将 %1 页保存到 %2")
                        : QStringLiteral(u"已将 %1 页送往打印机 %2"))
                       .arg(m_job.pagesSent())
                       .arg(m_job.destination());
        if (printed && printer.copyCount() > 1 && printer.supportsMultipleCopies())
            done += QStringLiteral(u"，每页 %1 份").arg(printer.copyCount());
        if (printed && m_job.logFailure()) {
            done += QStringLiteral(u"（未写入打印记录）");
            ErrorReport::showWithDetails(this, ErrorReport::Box::Warning, *m_job.logFailure(),
                                         QStringLiteral(u"已打印，但打印记录未能写入！"));
        }
        m_destination->setText(done);
    });
    showPrintedToday();
}

void PrintPreview::pagesChanged()
{
    m_page->update();
    m_thumbnails->redraw();
    updateIndicator();
}

void PrintPreview::showPrintedToday()
{
    std::optional<int> count;
    try {
        count = PrintLog::countPrintedToday(m_job.store(), m_pages);
    } catch (const CommandError&) {
        // A log that cannot be read only leaves this empty; printing says
        // when it cannot be written.
    }
    m_printedToday->setText(count ? QStringLiteral(u"其中 %1 页今天已打印过").arg(*count)
                                  : QString());
}

void PrintPreview::showBuilding(int percent)
{
    m_building->setText(percent < 0 ? QString() : QStringLiteral("%1%").arg(percent));
}

void PrintPreview::showDestination()
{
    const bool toFile = m_job.printer().outputFormat() == QPrinter::PdfFormat;
    const QString where = m_job.destination();
    if (where.isEmpty())
        m_destination->setText(
            QStringLiteral(u"没有可用的打印机：请先在系统中添加打印机，或点“设 置”打印到文件"));
    else if (toFile)
        m_destination->setText(QStringLiteral(u"打印到文件：%1").arg(where));
    else
        m_destination->setText(QStringLiteral(u"打印机：%1").arg(where));
    m_offerSettings->setVisible(where.isEmpty());
}

void PrintPreview::updateIndicator()
{
    m_indicator->setText(QStringLiteral(u"第 %1/%2 页").arg(currentPage() + 1).arg(m_pageCount));
    const QString warnings = PageWarnings::pageText(m_pages.warnings(currentPage()));
    m_pageWarnings->setText(warnings);
    m_pageWarnings->setToolTip(warnings);
}

void PrintPreview::checkSomePages()
{
    // A slice short enough that paging and the buttons stay quick.
    QElapsedTimer slice;
    slice.start();
    while (!m_warned.allChecked() && slice.elapsed() < 20)
        m_warned.checkNext();
    showChecking();
}

void PrintPreview::resumeChecking()
{
    if (m_batchWorkStarted && !m_printing && m_pageCount > 1 && !m_warned.allChecked())
        m_checking->start(0);
}

void PrintPreview::showChecking()
{
    if (m_pageCount > 1 && !m_warned.allChecked()) {
        m_batchWarnings->setText(
            QStringLiteral(u"检查中 %1/%2 页").arg(m_warned.checkedCount()).arg(m_pageCount));
        // As before the first check ends: a check begun again after
        // "缩小字号打印" has found nothing yet to go to.
        m_nextWarning->setVisible(false);
        return;
    }
    m_checking->stop();
    showWarnedPages();
}

void PrintPreview::showWarnedPages()
{
    QString text;
    const int count = m_warned.warnedCount();
    if (count > 0 && m_pageCount > 1) {
        QStringList numbers;
        for (const int page : m_warned.warned(10))
            numbers << QString::number(page + 1);
        text = QStringLiteral(u"共 %1 页有警告：第 %2%3 页")
                   .arg(count)
                   .arg(numbers.join(QStringLiteral(u"、")),
                        count > 10 ? QStringLiteral(u"……") : QString());
    }
    m_batchWarnings->setText(text);
    m_nextWarning->setVisible(m_pageCount > 1 && count > 0);
}

void PrintPreview::showNextWarning()
{
    const int next = m_warned.nextWarned(currentPage());
    const int page = next >= 0 ? next : m_warned.nextWarned(-1);
    if (page >= 0)
        showPage(page);
}

bool PrintPreview::choosePrintingOfWarnedPages()
{
    if (m_shrinking)
        return true;
    // Those the printer's page range leaves out are not asked about.
    const QList<int> printed = Printing::pagesToPrint(m_job.printer(), m_pages.pageCount());
    const bool checked = PrintProgress::check(this, m_warned, printed);
    showChecking();
    if (!checked)
        return false;
    const QList<int> warned = m_warned.warnedAmong(printed);
    if (warned.isEmpty())
        return true;
    const CalibrationStore store;
    // A file takes the choice of the printer the windows print to.
    const bool toPrinter = m_job.printer().outputFormat() == QPrinter::NativeFormat;
    bool shrink = store.alwaysShrinks(toPrinter ? m_job.destination() : PrinterChoice::inUse());
    if (!shrink) {
        // The pages and fields, as many as a box can show.
        const int listed = 12;
        QStringList lines;
        for (const int page : warned.mid(0, listed))
            lines << QStringLiteral(u"第 %1 页：%2")
                         .arg(page + 1)
                         .arg(PageWarnings::pageText(m_pages.warnings(page)));
        if (warned.size() > listed)
            lines << QStringLiteral(u"……另有 %1 页").arg(warned.size() - listed);
        const QStringList buttons{QStringLiteral(u"缩小字号打印"), QStringLiteral(u"仍然打印"),
                                  QStringLiteral(u"取消")};
        const int chosen = Dialogs::current().choose(this, AppInfo::title,
                                                     QStringLiteral(u"%1 页的文字打印不全：\n%2")
                                                         .arg(warned.size())
                                                         .arg(lines.join(QLatin1Char('\n'))),
                                                     buttons, 0);
        if (chosen == 2)
            return false;
        shrink = chosen == 0;
    }
    if (shrink) {
        m_shrinking = true;
        m_pages.setShrinkToFit(store.minimumPoints());
        // What still does not fit stays listed: the idle check goes through
        // the batch again once the pages are out.
        m_warned.clear();
        m_thumbnails->clearWarned();
        showChecking();
        pagesChanged();
    }
    return true;
}
