#include "records/windows/sender_panel.h"

#include "store/query_sets.h"
#include "ui/dialogs.h"
#include "ui/error_report.h"
#include "ui/ui_fonts.h"
#include "ui/widgets.h"

#include <QDate>

using namespace Widgets;

SenderPanel::SenderPanel(MainQueries& queries, QWidget* parent) : QFrame(parent), m_queries(queries)
{
    setObjectName(QStringLiteral("Panel1"));
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Sunken);
    setAutoFillBackground(true);

    const QFont text = UiFonts::songti(14);
    const QFont big = UiFonts::songti(15);
    const QFont mark = UiFonts::songti(12);
    const QColor red(Qt::red);
    label(this, QStringLiteral(u"寄件人信息"), 10, 10, UiFonts::songti(16, true), red);

    label(this, QStringLiteral(u"单位名称"), 112, 83, text);
    m_company = lineEdit(this, QStringLiteral("Edit1"), 192, 80, 329, 22, text);
    label(this, QStringLiteral(u"寄件人姓名"), 112, 122, text);
    m_name = lineEdit(this, QStringLiteral("Edit2"), 192, 120, 110, 22, text);
    label(this, QStringLiteral(u"始发地"), 352, 122, big);
    m_origin = lineEdit(this, QStringLiteral("Edit16"), 408, 120, 113, 22, text);
    label(this, QStringLiteral(u"寄件地址"), 112, 162, text);
    m_address = lineEdit(this, QStringLiteral("Edit3"), 192, 160, 600, 22, text);
    label(this, QStringLiteral(u"邮政编码"), 112, 203, text);
    m_postcode = lineEdit(this, QStringLiteral("Edit4"), 192, 200, 130, 22, text);
    label(this, QStringLiteral(u"联系电话"), 112, 243, text);
    m_phone = lineEdit(this, QStringLiteral("Edit5"), 192, 240, 200, 22, text);
    label(this, QStringLiteral(u"手机号码"), 112, 283, text);
    m_mobile = lineEdit(this, QStringLiteral("Edit6"), 192, 280, 200, 22, text);
    label(this, QStringLiteral(u"签    名"), 112, 323, text);
    m_signature = lineEdit(this, QStringLiteral("Edit7"), 192, 320, 110, 22, text);
    label(this, QStringLiteral(u"寄件日期"), 112, 363, big);
    m_year = lineEdit(this, QStringLiteral("Edit18"), 192, 360, 57, 22, text);
    label(this, QStringLiteral(u"年"), 253, 363, text);
    m_month = lineEdit(this, QStringLiteral("Edit19"), 272, 360, 33, 22, text);
    label(this, QStringLiteral(u"月"), 309, 363, text);
    m_day = lineEdit(this, QStringLiteral("Edit20"), 328, 360, 33, 22, text);
    label(this, QStringLiteral(u"日"), 365, 363, text);

    for (const QPoint at : {QPoint(123, 136), QPoint(123, 176), QPoint(123, 296)})
        label(this, QStringLiteral(u"(必填)"), at.x(), at.y(), mark, red);

    auto* save = button(this, QStringLiteral("Button1"), QStringLiteral(u"保 存"), 192, 416);
    auto* close = button(this, QStringLiteral("Button2"), QStringLiteral(u"关 闭"), 312, 416);
    for (QPushButton* b : {save, close}) {
        b->setFont(text);
        b->setAutoDefault(true); // Enter presses the focused button
    }
    connect(save, &QPushButton::clicked, this, &SenderPanel::save);
    connect(close, &QPushButton::clicked, this, &SenderPanel::closePanel);

    QWidget* order[] = {m_company,   m_name, m_origin, m_address, m_postcode, m_phone, m_mobile,
                        m_signature, m_year, m_month,  m_day,     save,       close};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);
    chainEnterKey({m_company, m_name, m_address, m_postcode, m_phone, m_mobile, m_signature}, save);
}

SenderFields SenderPanel::fields() const
{
    return {m_company->text(),  m_name->text(),  m_origin->text(), m_address->text(),
            m_postcode->text(), m_phone->text(), m_mobile->text(), m_signature->text(),
            m_year->text(),     m_month->text(), m_day->text()};
}

void SenderPanel::showFields(const SenderFields& f)
{
    m_company->setSystemText(f.company);
    m_name->setSystemText(f.name);
    m_origin->setSystemText(f.origin);
    m_address->setSystemText(f.address);
    m_postcode->setSystemText(f.postcode);
    m_phone->setSystemText(f.phone);
    m_mobile->setSystemText(f.mobile);
    m_signature->setSystemText(f.signature);
}

SendingDate SenderPanel::sendingDate() const
{
    return {m_year->text(), m_month->text(), m_day->text()};
}

void SenderPanel::setSendingDate(const QDate& date)
{
    m_year->setSystemText(QString::number(date.year()));
    m_month->setSystemText(QString::number(date.month()));
    m_day->setSystemText(QString::number(date.day()));
}

void SenderPanel::save()
{
    ErrorReport::run(this, [this] {
        m_queries.reopen();
        const SenderFields f = fields();
        if (const auto missing = SenderDetails::missingField(f)) {
            Dialogs::notice(this, *missing);
            // Back to the box the message named, checked in the same order.
            for (QLineEdit* box : {m_name, m_address, m_mobile})
                if (box->text().isEmpty()) {
                    box->setFocus();
                    break;
                }
            return;
        }
        SenderDetails::write(m_queries.sender, f);
        Dialogs::inform(this, QStringLiteral(u"寄件人信息保存成功！"));
        emit saved();
    });
}

void SenderPanel::closePanel()
{
    emit closed();
}
