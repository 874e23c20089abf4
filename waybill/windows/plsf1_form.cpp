#include "waybill/windows/plsf1_form.h"

#include "store/statements.h"

TPlsf1Form::TPlsf1Form(QWidget* parent)
    : BatchPrintWindow(
          WaybillVariant::AddressBookBatch,
          {QStringLiteral(u"批量打印顺丰快递单"), QStringLiteral(u"批量打印"), QSize(821, 561), 30},
          Statements::selectRecipients(), parent)
{
}
