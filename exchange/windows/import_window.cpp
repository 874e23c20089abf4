#include "exchange/windows/import_window.h"

#include "exchange/sheet_import.h"
#include "store/store_error.h"
#include "ui/dialogs.h"
#include "ui/error_report.h"
#include "ui/recipient_grid.h"
#include "ui/ui_fonts.h"
#include "ui/widgets.h"

#include <QAction>
#include <QGroupBox>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int clientWidth = 1017;
constexpr int clientHeight = 631;
constexpr int searchBarHeight = 38;
constexpr int statusBarHeight = 26;

const QString dialogTitle = QStringLiteral(u"请选择相应的Excel文件");
// Every kind it reads at once, so none looks missing; then each, .xls
// first as the window always offered.
const QString fileFilter = QStringLiteral(
    u"所有支持的表格(*.xls *.xlsx *.csv);;Excel(*.xls);;Excel 2007(*.xlsx);;CSV(*.csv)");

} // namespace

ImportWindow::ImportWindow(const StoreSession& store, QWidget* parent)
    : QDialog(parent), m_queries(store)
{
    setObjectName(QStringLiteral("TDrForm"));
    setWindowTitle(QStringLiteral(u"Excel导入"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFont(UiFonts::songti(14));

    auto* client = new QWidget(this);
    client->setFixedSize(clientWidth, clientHeight);
    buildSearchBar(client);
    m_grid = new RecipientGrid(m_queries.imported, client);
    m_grid->setObjectName(QStringLiteral("DBGridEh1"));
    m_grid->setGeometry(0, searchBarHeight, clientWidth,
                        clientHeight - searchBarHeight - statusBarHeight);
    auto* status = new QStatusBar(client);
    status->setObjectName(QStringLiteral("StatusBar1"));
    status->setSizeGripEnabled(false);
    status->setGeometry(0, clientHeight - statusBarHeight, clientWidth, statusBarHeight);
    buildPathPanel(client);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->setMenuBar(buildMenus());
    layout->addWidget(client);
    adjustSize();
    Widgets::centreOnScreen(this);
}

void ImportWindow::showEvent(QShowEvent* event)
{
    ErrorReport::run(this, [this] { m_queries.list(); });
    QDialog::showEvent(event);
}

void ImportWindow::buildSearchBar(QWidget* client)
{
    QFrame* bar = Widgets::sunkenPanel(client, QStringLiteral("Panel2"));
    bar->setGeometry(0, 0, clientWidth, searchBarHeight);
    const QFont text = UiFonts::songti(14);
    Widgets::label(bar, QStringLiteral(u"姓  名"), 40, 13, text);
    m_nameSearch = Widgets::lineEdit(bar, QStringLiteral("Edit2"), 88, 8, 89, 22, text);
    Widgets::label(bar, QStringLiteral(u"手机号码"), 192, 13, text);
    m_mobileSearch = Widgets::lineEdit(bar, QStringLiteral("Edit3"), 256, 8, 121, 22, text);
    m_search = Widgets::button(bar, QStringLiteral("Button2"), QStringLiteral(u"查 询"), 416, 8);
    m_refresh = Widgets::button(bar, QStringLiteral("Button3"), QStringLiteral(u"刷 新"), 512, 8);
    connect(m_search, &QPushButton::clicked, this, &ImportWindow::search);
    connect(m_refresh, &QPushButton::clicked, this, &ImportWindow::refresh);
    for (QLineEdit* box : {m_nameSearch, m_mobileSearch}) // Enter in a search box searches
        connect(box, &QLineEdit::returnPressed, this, &ImportWindow::search);
}

void ImportWindow::buildPathPanel(QWidget* client)
{
    m_pathPanel = new MovablePanel(client);
    m_pathPanel->setObjectName(QStringLiteral("Panel1"));
    m_pathPanel->setGeometry(144, 216, 721, 89);
    m_close = new ClosePicture(m_pathPanel, QStringLiteral("Image1"), 696, 8);
    connect(m_close, &ClosePicture::clicked, this, &ImportWindow::hidePathPanel);
    auto* group = new QGroupBox(m_pathPanel);
    group->setGeometry(18, 32, 687, 49);
    Widgets::label(group, QStringLiteral(u"Excel路径"), 24, 20, UiFonts::songti(14));
    m_path =
        Widgets::lineEdit(group, QStringLiteral("Edit1"), 90, 18, 455, 20, UiFonts::songti(14));
    m_path->setFrame(false);
    m_choose = new QToolButton(group);
    m_choose->setObjectName(QStringLiteral("SpeedButton1"));
    m_choose->setText(QStringLiteral(u"…"));
    m_choose->setToolTip(QStringLiteral(u"选择路径"));
    m_choose->setAutoRaise(true);
    m_choose->setGeometry(548, 18, 23, 18);
    connect(m_choose, &QToolButton::clicked, this, &ImportWindow::choosePath);
    m_import = Widgets::button(group, QStringLiteral("Button1"), QStringLiteral(u"导 入"), 592, 16);
    connect(m_import, &QPushButton::clicked, this, &ImportWindow::importSheet);
}

ImportWindow::~ImportWindow()
{
    delete m_grid; // before the query it shows
}

QMenuBar* ImportWindow::buildMenus()
{
    const auto item = [this](QWidget* menu, const char* name, const char16_t* caption,
                             void (ImportWindow::*handler)()) {
        return Widgets::menuItem(menu, name, caption, this, handler);
    };
    auto* bar = new QMenuBar(this);
    bar->setObjectName(QStringLiteral("MainMenu1"));
    QAction* pathCommand = item(bar, "N1", u"选择路径", &ImportWindow::showPathPanel);
    QAction* singlePrint = item(bar, "N2", u"单张打印", &ImportWindow::requestSinglePrint);
    QAction* batchPrint = item(bar, "N3", u"批量打印", &ImportWindow::requestBatchPrint);
    QAction* closeCommand = item(bar, "N49", u"关闭窗口", &ImportWindow::closeWindow);
    m_undo = item(bar, "N60", u"撤销导入", &ImportWindow::undoImport);
    m_undo->setEnabled(false);
    m_undo->setToolTip(QStringLiteral(u"恢复上次导入之前的收件人列表"));
    m_popup = new QMenu(this);
    m_popup->setObjectName(QStringLiteral("PopupMenu1"));
    Widgets::commandEntry(m_popup, "N4", pathCommand);
    m_popup->addSeparator();
    Widgets::commandEntry(m_popup, "N8", singlePrint);
    Widgets::commandEntry(m_popup, "N5", batchPrint);
    m_popup->addSeparator();
    Widgets::commandEntry(m_popup, "N55", closeCommand);
    Widgets::popupOnRightClick(m_grid, m_popup);
    return bar;
}

void ImportWindow::showPathPanel()
{
    m_pathPanel->show();
    m_pathPanel->raise();
    m_path->clear();
}

void ImportWindow::requestSinglePrint()
{
    emit singlePrintRequested();
}

void ImportWindow::requestBatchPrint()
{
    emit batchPrintRequested();
}

void ImportWindow::closeWindow()
{
    hide();
}

void ImportWindow::choosePath()
{
    const QString file = Dialogs::current().openFile(this, dialogTitle, fileFilter);
    if (!file.isEmpty())
        m_path->setText(file);
}

void ImportWindow::hidePathPanel()
{
    m_pathPanel->hide();
}

void ImportWindow::importSheet()
{
    // Whatever a sheet does (memory included), the program goes on.
    ErrorReport::run(this, [this] {
        SheetImport import(m_queries.connection);
        SheetRows previous;
        import.keepPrevious(&previous);
        const SheetImport::Outcome outcome = import.run(m_path->text());
        if (outcome != SheetImport::Outcome::Imported) {
            Dialogs::inform(this, import.report(outcome));
            return;
        }
        m_previous = std::move(previous);
        m_undo->setEnabled(true);
        try {
            m_queries.reopen();
        } catch (const StoreError& e) {
            // The rows are in: a second import would only replace them.
            ErrorReport::show(this, ErrorReport::Box::Inform,
                              SheetImport::message(SheetImport::Outcome::NotWritten), e,
                              QStringLiteral(u"已导入%1条收件人信息，但无法重新读取列表。"
                                             u"请点“刷 新”查看，不要再次导入。")
                                  .arg(import.importedRows()));
            return;
        }
        Dialogs::inform(this, import.report(outcome));
        m_pathPanel->hide();
    });
}

void ImportWindow::search()
{
    // The mobile search runs last and wins when both boxes hold text.
    ErrorReport::run(this,
                     [this] { m_queries.search(m_nameSearch->text(), m_mobileSearch->text()); });
}

void ImportWindow::refresh()
{
    m_nameSearch->clear();
    m_mobileSearch->clear();
    ErrorReport::run(this, [this] {
        m_queries.connection.close();
        m_queries.connection.open();
        m_queries.reopen();
    });
}

void ImportWindow::undoImport()
{
    if (!m_previous)
        return;
    ErrorReport::run(this, [this] {
        SheetImport::restore(m_queries.connection, *m_previous);
        const qsizetype rows = m_previous->size();
        m_previous.reset();
        m_undo->setEnabled(false);
        m_queries.reopen();
        Dialogs::inform(this,
                        QStringLiteral(u"已撤销导入，恢复了导入前的%1条收件人信息。").arg(rows));
    });
}
