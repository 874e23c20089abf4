#include "waybill/windows/scan_window.h"

#include "store/connection.h"
#include "ui/error_report.h"
#include "ui/ui_fonts.h"
#include "ui/widgets.h"
#include "waybill/number_assignment.h"

#include <QApplication>
#include <QBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTableWidget>

ScanWindow::ScanWindow(const StoreSession& store, QWidget* parent) : QDialog(parent), m_store(store)
{
    setObjectName(QStringLiteral("TScanForm"));
    setWindowTitle(QStringLiteral(u"扫描回填"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFont(UiFonts::songti(14));
    resize(800, 520);

    m_title = new QLabel(this);
    m_box = new QLineEdit(this);
    m_box->setObjectName(QStringLiteral("scanBox"));
    m_box->setPlaceholderText(QStringLiteral(u"按出纸顺序逐张扫描运单条码"));
    m_undo = new QPushButton(QStringLiteral(u"撤销上一个"), this);
    m_undo->setObjectName(QStringLiteral("undoButton"));
    // Pressed by Ctrl+Z or the mouse; the scanner's Enter stays in the box.
    m_undo->setFocusPolicy(Qt::NoFocus);
    m_undo->setAutoDefault(false);
    m_message = new QLabel(this);
    m_message->setObjectName(QStringLiteral("scanMessage"));
    m_pages = new QTableWidget(0, 5, this);
    m_pages->setObjectName(QStringLiteral("scanPages"));
    m_pages->setHorizontalHeaderLabels({QStringLiteral(u"序号"), QStringLiteral(u"收件人姓名"),
                                        QStringLiteral(u"手机号码"), QStringLiteral(u"订单编号"),
                                        QStringLiteral(u"运单号")});
    m_pages->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pages->setFocusPolicy(Qt::NoFocus);
    m_pages->verticalHeader()->hide();
    m_pages->horizontalHeader()->setStretchLastSection(true);
    // A platform's order number runs to twenty digits, read whole.
    m_pages->setColumnWidth(3, m_pages->fontMetrics().horizontalAdvance(QString(20, u'0')) + 12);

    connect(m_box, &QLineEdit::returnPressed, this, &ScanWindow::scanned);
    m_box->installEventFilter(this);
    connect(m_undo, &QPushButton::clicked, this, &ScanWindow::undo);
    auto* undoKey = new QShortcut(QKeySequence::Undo, this);
    connect(undoKey, &QShortcut::activated, this, &ScanWindow::undo);

    auto* row = new QHBoxLayout;
    row->addWidget(m_box, 1);
    row->addWidget(m_undo);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_title);
    layout->addLayout(row);
    layout->addWidget(m_message);
    layout->addWidget(m_pages, 1);
    setFocusProxy(m_box);
}

ScanWindow::~ScanWindow() = default;

bool ScanWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_box && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Undo)) {
        undo();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void ScanWindow::openRun(const QString& run)
{
    m_assignment.reset();
    if (!m_connection) {
        m_connection = std::make_unique<Connection>(m_store);
        m_connection->open();
    }
    m_assignment = std::make_unique<NumberAssignment>(*m_connection, run);
    m_box->clear();
    say({}, false);
    showPages();
    m_box->setFocus();
}

QString ScanWindow::lastMessage() const
{
    return m_message->text();
}

void ScanWindow::scanned()
{
    const QString number = m_box->text();
    m_box->clear();
    if (!m_assignment || number.trimmed().isEmpty())
        return;
    int given = -1;
    ErrorReport::run(this, [&] {
        const int page = m_assignment->next();
        const QString refused = m_assignment->attach(number);
        say(refused.isEmpty() ? QStringLiteral(u"第%1张：%2")
                                    .arg(page + 1)
                                    .arg(m_assignment->pages().at(page).waybillNumber)
                              : refused,
            !refused.isEmpty());
        // A refusal may have read the run again.
        if (refused.isEmpty())
            given = page;
    });
    showPages(given);
    m_box->setFocus();
}

void ScanWindow::undo()
{
    if (m_assignment)
        ErrorReport::run(this, [&] {
            const QString refused = m_assignment->undo();
            say(refused.isEmpty() ? QStringLiteral(u"已撤销上一个运单号。") : refused,
                !refused.isEmpty());
        });
    showPages();
    m_box->setFocus();
}

void ScanWindow::showPages(int given)
{
    if (!m_assignment)
        return;
    const QList<NumberAssignment::Page>& pages = m_assignment->pages();
    const int next = m_assignment->next();
    if (given >= 0 && m_pages->rowCount() == pages.size()) {
        m_pages->setItem(given, 4, new QTableWidgetItem(pages.at(given).waybillNumber));
    } else {
        m_pages->setRowCount(int(pages.size()));
        for (int i = 0; i < pages.size(); ++i) {
            const NumberAssignment::Page& p = pages.at(i);
            const QString texts[] = {QString::number(i + 1), p.name, p.mobile, p.orderNumber,
                                     p.waybillNumber};
            for (int c = 0; c < 5; ++c)
                m_pages->setItem(i, c, new QTableWidgetItem(texts[c]));
        }
    }
    if (next >= 0)
        m_pages->selectRow(next);
    m_title->setText(QStringLiteral(u"第%1批，共%2张，已回填%3张")
                         .arg(m_assignment->run())
                         .arg(pages.size())
                         .arg(m_assignment->numbered()));
    m_undo->setEnabled(m_assignment->canUndo());
}

void ScanWindow::say(const QString& text, bool refused)
{
    m_message->setText(text);
    m_message->setStyleSheet(refused ? QStringLiteral("color: #c00000") : QString());
    if (refused)
        QApplication::beep();
}
