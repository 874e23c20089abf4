#include "records/windows/main_window.h"

#include "exchange/address_book_export.h"
#include "records/sender_details.h"
#include "records/windows/recipient_editor.h"
#include "records/windows/sender_panel.h"
#include "store/program_files.h"
#include "store/store_session.h"
#include "ui/app_info.h"
#include "ui/dialogs.h"
#include "ui/error_report.h"
#include "ui/recipient_grid.h"
#include "ui/ui_fonts.h"
#include "ui/widgets.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>

using namespace Widgets;

namespace {

constexpr int clientWidth = 1017;
constexpr int clientHeight = 631;
constexpr int commandBarHeight = 38;
constexpr int statusBarHeight = 26;

void openLink(QWidget*, const QUrl& url)
{
    // Whatever the desktop makes of it, nothing is reported.
    QDesktopServices::openUrl(url);
}

QUrl helpPage(const QString& relative)
{
    const QString path = ProgramFiles::find(relative);
    return path.isEmpty() ? QUrl() : QUrl::fromLocalFile(path);
}

} // namespace

MainWindow::MainWindow(const StoreSession& store, QWidget* parent)
    : QMainWindow(parent), m_queries(store)
{
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(AppInfo::title);
    setFont(UiFonts::msSansSerif());

    auto* area = new QWidget(this);
    area->setFixedSize(clientWidth, clientHeight - statusBarHeight);
    setCentralWidget(area);

    buildCommandBar(area);
    m_grid = new RecipientGrid(m_queries.recipients, area);
    m_grid->setGeometry(0, commandBarHeight, clientWidth,
                        clientHeight - statusBarHeight - commandBarHeight);
    m_grid->setToolTip(QStringLiteral(u"双击可以修改收件人信息"));

    m_senderPanel = new SenderPanel(m_queries, area);
    m_senderPanel->setGeometry(0, 0, clientWidth, clientHeight - statusBarHeight);
    m_senderPanel->hide();
    connect(m_senderPanel, &SenderPanel::saved, this, &MainWindow::showCommandBar);
    connect(m_senderPanel, &SenderPanel::closed, this, &MainWindow::showCommandBar);

    m_editor = new RecipientEditor(m_book, area);
    m_editor->setGeometry(168, 184, 665, 233);
    m_editor->hide();

    buildMenus();
    buildStatusBar();
    setFixedSize(clientWidth, clientHeight + menuBar()->sizeHint().height());

    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setInterval(1000);
    connect(m_timer, &QTimer::timeout, this, &MainWindow::showClock);
    m_timer->start();
}

MainWindow::~MainWindow() = default;

void MainWindow::open()
{
    m_senderPanel->setSendingDate(m_clock().date());
    m_queries.reopen();
    m_senderPanel->showFields(SenderDetails::load(m_queries.sender));
}

void MainWindow::buildCommandBar(QWidget* area)
{
    m_commandBar = sunkenPanel(area, QStringLiteral("Panel3"));
    m_commandBar->setGeometry(0, 0, clientWidth, commandBarHeight);
    QWidget* bar = m_commandBar;
    const QFont text = UiFonts::songti(14);
    label(bar, QStringLiteral(u"收件人信息"), 10, 10, UiFonts::songti(16, true), Qt::red);
    m_addButton = button(bar, QStringLiteral("Button6"), QStringLiteral(u"新 增"), 120, 8);
    m_modifyButton = button(bar, QStringLiteral("Button7"), QStringLiteral(u"修 改"), 208, 8);
    m_deleteButton = button(bar, QStringLiteral("Button8"), QStringLiteral(u"删 除"), 296, 8);
    auto* refresh = button(bar, QStringLiteral("Button10"), QStringLiteral(u"刷 新"), 384, 8);
    label(bar, QStringLiteral(u"姓  名"), 496, 13, text);
    m_nameSearch = lineEdit(bar, QStringLiteral("Edit15"), 544, 8, 89, 22, text);
    label(bar, QStringLiteral(u"手机号码"), 648, 13, text);
    m_mobileSearch = lineEdit(bar, QStringLiteral("Edit25"), 712, 8, 121, 22, text);
    auto* search = button(bar, QStringLiteral("Button9"), QStringLiteral(u"查 询"), 872, 8);
    for (QPushButton* b : {m_addButton, m_modifyButton, m_deleteButton, refresh, search}) {
        b->setFont(text);
        b->setAutoDefault(true); // Enter presses the focused button
    }
    QWidget* order[] = {m_addButton, m_modifyButton, m_deleteButton, m_nameSearch,
                        search,      refresh,        m_mobileSearch};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);
    connect(refresh, &QPushButton::clicked, this, &MainWindow::refresh);
    connect(search, &QPushButton::clicked, this, &MainWindow::search);
    for (QLineEdit* box : {m_nameSearch, m_mobileSearch}) // Enter in a search box searches
        connect(box, &QLineEdit::returnPressed, this, &MainWindow::search);
}

void MainWindow::buildMenus()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    const auto item = [this](QWidget* menu, const char* name, const char16_t* caption,
                             void (MainWindow::*handler)()) {
        return menuItem(menu, name, caption, this, handler);
    };
    item(bar, "N1", u"寄件人信息", &MainWindow::showSenderPanel);
    item(bar, "N2", u"收件人信息", &MainWindow::showRecipients);
    QAction* singlePrint = item(bar, "N5", u"单张打印", &MainWindow::openSinglePrint);
    QAction* batchPrint = item(bar, "N6", u"批量打印", &MainWindow::openBatchPrint);
    QAction* importData = item(bar, "N18", u"数据导入", &MainWindow::openImport);
    item(bar, "N19", u"数据导出", &MainWindow::exportFromMenu);
    item(bar, "N20", u"数据备份与恢复", &MainWindow::openBackup);
    QMenu* help = bar->addMenu(QStringLiteral(u"帮助主题"));
    help->setObjectName(QStringLiteral("N22"));
    item(help, "N23", u"常见问题", &MainWindow::openFaq);
    item(help, "N24", u"技术支持", &MainWindow::openSupport);
    item(help, "N25", u"软件首页", &MainWindow::openHomePage);
    item(bar, "N4", u"退出软件", &MainWindow::quit);
    item(bar, "N40", u"打印记录", &MainWindow::openPrintLog);
    item(bar, "TemplateDesignerMenu", u"模板设计", &MainWindow::openTemplateDesigner);

    m_popup = new QMenu(this);
    m_popup->setObjectName(QStringLiteral("PopupMenu1"));
    QAction* add = item(m_popup, "N11", u"新增记录", &MainWindow::addRecipient);
    QAction* modify = item(m_popup, "N12", u"修改记录", &MainWindow::modifyRecipient);
    QAction* remove = item(m_popup, "N13", u"删除记录", &MainWindow::deleteRecipient);
    m_popup->addSeparator();
    item(m_popup, "N15", u"全部删除", &MainWindow::deleteAllRecipients);
    m_popup->addSeparator();
    commandEntry(m_popup, "N7", singlePrint);
    commandEntry(m_popup, "N8", batchPrint);
    m_popup->addSeparator();
    commandEntry(m_popup, "N31", importData);
    // Its closing message differs from the main menu's: a command of its own.
    item(m_popup, "N32", u"数据导出", &MainWindow::exportFromPopup);
    popupOnRightClick(m_grid, m_popup);

    commandButton(m_addButton, add);
    commandButton(m_modifyButton, modify);
    commandButton(m_deleteButton, remove);
    connect(m_grid, &RecipientGrid::doubleClickedAnywhere, modify, &QAction::trigger);
    connect(m_grid, &RecipientGrid::enterPressed, modify, &QAction::trigger);
}

void MainWindow::buildStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setFixedHeight(statusBarHeight);
    bar->setSizeGripEnabled(false);
    m_clockPanel = new QLabel(bar);
    m_clockPanel->setFixedWidth(350);
    m_webPanel = new QLabel(bar);
    m_webPanel->setFixedWidth(350);
    auto* resolution = new QLabel(QStringLiteral(u"最佳分辨率：1024*768"), bar);
    bar->addWidget(m_clockPanel);
    bar->addWidget(m_webPanel);
    bar->addWidget(resolution, 1);
}

QString MainWindow::clockText() const
{
    return m_clockPanel->text();
}

void MainWindow::showClock()
{
    const QDateTime now = m_clock();
    const QDate d = now.date();
    const QTime t = now.time();
    const auto two = [](int v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); };
    m_clockPanel->setText(QStringLiteral(u" 今天是：%1年%2月%3日  %4:%5:%6")
                              .arg(QString::number(d.year()).rightJustified(4, QLatin1Char('0')),
                                   two(d.month()), two(d.day()), two(t.hour()), two(t.minute()),
                                   two(t.second())));
    m_webPanel->setText(QLatin1Char(' ') + AppInfo::webAddress);
}

void MainWindow::showCommandBar()
{
    m_senderPanel->hide();
    m_commandBar->show();
}

void MainWindow::showSenderPanel()
{
    m_senderPanel->show();
    m_senderPanel->raise();
    m_editor->hide();
    m_commandBar->hide();
}

void MainWindow::showRecipients()
{
    ErrorReport::run(this, [this] {
        m_queries.reopen();
        m_commandBar->show();
        m_grid->show();
        m_senderPanel->hide();
        m_editor->clearPersonBoxes();
    });
}

void MainWindow::quit()
{
    close();
}

bool MainWindow::stampDate()
{
    return ErrorReport::run(
        this, [this] { SenderDetails::stampDate(m_queries.sender, m_senderPanel->sendingDate()); });
}

void MainWindow::openPrintWindow(QDialog* window)
{
    if (!window || !stampDate())
        return;
    window->exec();
}

void MainWindow::openSinglePrint()
{
    openPrintWindow(m_windows.singlePrint);
}
void MainWindow::openBatchPrint()
{
    openPrintWindow(m_windows.batchPrint);
}

void MainWindow::openImport()
{
    if (m_windows.import)
        m_windows.import->exec();
}
void MainWindow::openBackup()
{
    if (m_windows.backup)
        m_windows.backup->exec();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (child->isWindow() && child->isVisible() && !child->close()) {
            event->ignore();
            return;
        }
    QMainWindow::closeEvent(event);
}

void MainWindow::openTemplateDesigner()
{
    if (QWidget* designer = m_windows.templateDesigner ? m_windows.templateDesigner() : nullptr) {
        designer->show();
        designer->raise();
        designer->activateWindow();
    }
}

void MainWindow::openPrintLog()
{
    if (m_windows.printLog)
        m_windows.printLog->exec();
}

bool MainWindow::exportBook(QString* fileName)
{
    QString type;
    const QString chosen =
        Dialogs::current().saveFile(this, QString(), AddressBookExport::fileTypes(), &type);
    if (chosen.isEmpty())
        return false;
    *fileName = AddressBookExport::fileName(chosen, type);
    // Another list under the same name is easily lost: the user says so first.
    if (QFileInfo::exists(*fileName) &&
        !Dialogs::confirm(this, QStringLiteral(u"文件“%1”已存在，要替换它吗？").arg(*fileName),
                          Dialogs::Default::No))
        return false;
    return ErrorReport::run(this, [&] { AddressBookExport::run(m_queries.recipients, *fileName); });
}

QString MainWindow::exportedText(const QString& fileName)
{
    return QStringLiteral(u"\n已写入文件：%1").arg(fileName);
}

void MainWindow::exportFromMenu()
{
    QString name;
    if (exportBook(&name))
        Dialogs::notice(this, QStringLiteral(u"成功导出全部数据!") + exportedText(name));
}

void MainWindow::exportFromPopup()
{
    QString name;
    if (exportBook(&name))
        Dialogs::inform(this, QStringLiteral(u"成功导出全部数据！") + exportedText(name));
}

void MainWindow::openFaq()
{
    openLink(this, helpPage(AppInfo::faqPage));
}
void MainWindow::openSupport()
{
    openLink(this, QUrl(AppInfo::supportMail));
}
void MainWindow::openHomePage()
{
    openLink(this, helpPage(AppInfo::homePage));
}

void MainWindow::addRecipient()
{
    m_editor->openForNew();
}
void MainWindow::modifyRecipient()
{
    m_editor->openOnCurrent();
}
void MainWindow::deleteRecipient()
{
    ErrorReport::run(this, [this] {
        if (!m_book.hasCurrent()) {
            Dialogs::inform(this, QStringLiteral(u"不能删除空信息！"));
            return;
        }
        if (Dialogs::confirm(this, QStringLiteral(u"确定要删除选中的记录？"), Dialogs::Default::No))
            m_book.deleteCurrent();
    });
}
void MainWindow::deleteAllRecipients()
{
    ErrorReport::run(this, [this] {
        if (Dialogs::confirm(this, QStringLiteral(u"确定要删除全部记录？"), Dialogs::Default::No))
            m_book.deleteAll();
    });
}

void MainWindow::search()
{
    ErrorReport::run(this, [this] { m_book.search(m_nameSearch->text(), m_mobileSearch->text()); });
}

void MainWindow::refresh()
{
    m_nameSearch->clear();
    ErrorReport::run(this, [this] { m_queries.reopen(); });
}
