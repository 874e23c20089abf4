#include "waybill/windows/sf1_form.h"

#include "waybill/waybill_pages.h"

TSf1Form::TSf1Form(Dataset& senderQuery, Dataset& recipientQuery, QWidget* parent)
    : PrintWindow(
          WaybillVariant::AddressBookSingle,
          {QStringLiteral(u"单张打印顺丰快递单"), QStringLiteral(u"单张打印"), QSize(821, 559), 30},
          parent),
      m_sender(senderQuery), m_recipients(recipientQuery)
{
}

std::unique_ptr<PageSource> TSf1Form::pages()
{
    return std::make_unique<WaybillPages>(layout(), &m_sender, &m_recipients,
                                          RecordMode::CurrentRow);
}
