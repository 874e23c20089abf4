#include "exchange/dr_form.h"

#include "app/dialogs.h"
#include "app/error_report.h"
#include "app/recipient_grid.h"
#include "app/ui_fonts.h"
#include "app/widgets.h"
#include "exchange/sheet_import.h"
#include "store/statements.h"
#include "store/store_error.h"

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
// .xls first, as the window always offered; the other kinds it also reads.
const QString fileFilter = QStringLiteral(u"Excel(*.xls);;Excel 2007(*.xlsx);;CSV(*.csv)");

} // namespace

TDrForm::TDrForm(QWidget* parent) : QDialog(parent), ADOQuery1(ADOConnection1)
{
    setObjectName(QStringLiteral("TDrForm"));
    setWindowTitle(QStringLiteral(u"Excel导入"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFont(UiFonts::songti(14));

    auto* client = new QWidget(this);
    client->setFixedSize(clientWidth, clientHeight);
    buildSearchBar(client);
    DBGridEh1 = new RecipientGrid(ADOQuery1, client);
    DBGridEh1->setObjectName(QStringLiteral("DBGridEh1"));
    DBGridEh1->setGeometry(0, searchBarHeight, clientWidth,
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

    // FormCreate
    ADOConnection1.open();
    openImported();
}

void TDrForm::buildSearchBar(QWidget* client)
{
    QFrame* bar = Widgets::sunkenPanel(client, QStringLiteral("Panel2"));
    bar->setGeometry(0, 0, clientWidth, searchBarHeight);
    const QFont text = UiFonts::songti(14);
    Widgets::label(bar, QStringLiteral(u"姓  名"), 40, 13, text);
    Edit2 = Widgets::lineEdit(bar, QStringLiteral("Edit2"), 88, 8, 89, 22, text);
    Widgets::label(bar, QStringLiteral(u"手机号码"), 192, 13, text);
    Edit3 = Widgets::lineEdit(bar, QStringLiteral("Edit3"), 256, 8, 121, 22, text);
    Button2 = Widgets::button(bar, QStringLiteral("Button2"), QStringLiteral(u"查 询"), 416, 8);
    Button3 = Widgets::button(bar, QStringLiteral("Button3"), QStringLiteral(u"刷 新"), 512, 8);
    connect(Button2, &QPushButton::clicked, this, &TDrForm::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TDrForm::Button3Click);
}

void TDrForm::buildPathPanel(QWidget* client)
{
    Panel1 = new MovablePanel(client);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(144, 216, 721, 89);
    Image1 = new ClosePicture(Panel1, QStringLiteral("Image1"), 696, 8);
    connect(Image1, &ClosePicture::clicked, this, &TDrForm::Image1Click);
    auto* group = new QGroupBox(Panel1);
    group->setGeometry(18, 32, 687, 49);
    Widgets::label(group, QStringLiteral(u"Excel路径"), 24, 20, UiFonts::songti(14));
    Edit1 = Widgets::lineEdit(group, QStringLiteral("Edit1"), 90, 18, 455, 20, UiFonts::songti(14));
    Edit1->setFrame(false);
    SpeedButton1 = new QToolButton(group);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setText(QStringLiteral(u"…"));
    SpeedButton1->setToolTip(QStringLiteral(u"选择路径"));
    SpeedButton1->setAutoRaise(true);
    SpeedButton1->setGeometry(548, 18, 23, 18);
    connect(SpeedButton1, &QToolButton::clicked, this, &TDrForm::SpeedButton1Click);
    Button1 = Widgets::button(group, QStringLiteral("Button1"), QStringLiteral(u"导 入"), 592, 16);
    connect(Button1, &QPushButton::clicked, this, &TDrForm::Button1Click);
}

TDrForm::~TDrForm()
{
    delete DBGridEh1; // before the query it shows
}

QMenuBar* TDrForm::buildMenus()
{
    const auto item = [this](QWidget* menu, const char* name, const char16_t* caption,
                             void (TDrForm::*handler)()) {
        Widgets::menuItem(menu, name, caption, this, handler);
    };
    auto* bar = new QMenuBar(this);
    bar->setObjectName(QStringLiteral("MainMenu1"));
    item(bar, "N1", u"选择路径", &TDrForm::N1Click);
    item(bar, "N2", u"单张打印", &TDrForm::N2Click);
    item(bar, "N3", u"批量打印", &TDrForm::N3Click);
    item(bar, "N49", u"关闭窗口", &TDrForm::N49Click);
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    item(PopupMenu1, "N4", u"选择路径", &TDrForm::N4Click);
    PopupMenu1->addSeparator();
    item(PopupMenu1, "N8", u"单张打印", &TDrForm::N8Click);
    item(PopupMenu1, "N5", u"批量打印", &TDrForm::N5Click);
    PopupMenu1->addSeparator();
    item(PopupMenu1, "N55", u"关闭窗口", &TDrForm::N55Click);
    Widgets::popupOnRightClick(DBGridEh1, PopupMenu1);
    return bar;
}

void TDrForm::openImported()
{
    ADOQuery1.close();
    ADOQuery1.setStatement(Statements::selectImported());
    ADOQuery1.open();
}

void TDrForm::N1Click()
{
    Panel1->show();
    Panel1->raise();
    Edit1->clear();
}

void TDrForm::N2Click()
{
    emit singlePrintRequested();
}

void TDrForm::N3Click()
{
    emit batchPrintRequested();
}

void TDrForm::N49Click()
{
    hide();
}

void TDrForm::N4Click()
{
    N1Click();
}

void TDrForm::N8Click()
{
    N2Click();
}

void TDrForm::N5Click()
{
    N3Click();
}

void TDrForm::N55Click()
{
    N49Click();
}

void TDrForm::SpeedButton1Click()
{
    const QString file = Dialogs::current().openFile(this, dialogTitle, fileFilter);
    if (!file.isEmpty())
        Edit1->setText(file);
}

void TDrForm::Image1Click()
{
    Panel1->hide();
}

void TDrForm::Button1Click()
{
    // Whatever a sheet does (memory included), the program goes on.
    try {
        SheetImport import(ADOConnection1);
        const SheetImport::Outcome outcome = import.run(Edit1->text());
        if (outcome != SheetImport::Outcome::Imported) {
            Dialogs::inform(this, import.report(outcome));
            return;
        }
        try {
            openImported();
        } catch (const StoreError&) {
            Dialogs::inform(this, SheetImport::message(SheetImport::Outcome::NotWritten));
            return;
        }
        Dialogs::inform(this, SheetImport::message(outcome));
        Panel1->hide();
    } catch (const std::exception& e) {
        ErrorReport::show(this, QString::fromUtf8(e.what()));
    } catch (...) {
        ErrorReport::show(this, QStringLiteral(u"未知错误"));
    }
}

void TDrForm::Button2Click()
{
    // The mobile search runs last and wins when both boxes hold text.
    ErrorReport::run(this, [this] {
        if (!Edit2->text().isEmpty()) {
            ADOQuery1.close();
            ADOQuery1.setStatement(Statements::searchImportedByName(Edit2->text()));
            ADOQuery1.open();
        }
        if (!Edit3->text().isEmpty()) {
            ADOQuery1.close();
            ADOQuery1.setStatement(Statements::searchImportedByMobile(Edit3->text()));
            ADOQuery1.open();
        }
    });
}

void TDrForm::Button3Click()
{
    Edit2->clear();
    Edit3->clear();
    ErrorReport::run(this, [this] {
        ADOConnection1.close();
        ADOConnection1.open();
        openImported();
    });
}
