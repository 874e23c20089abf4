#include "waybill/windows/sf1_form.h"

TSf1Form::TSf1Form(Dataset& senderQuery, Dataset& recipientQuery, QWidget* parent)
    : SinglePrintWindow(
          WaybillVariant::AddressBookSingle,
          {QStringLiteral(u"单张打印顺丰快递单"), QStringLiteral(u"单张打印"), QSize(821, 559), 30},
          senderQuery, recipientQuery, parent)
{
}
