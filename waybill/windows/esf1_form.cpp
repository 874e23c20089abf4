#include "waybill/windows/esf1_form.h"

TEsf1Form::TEsf1Form(Dataset& senderQuery, Dataset& importedQuery, QWidget* parent)
    : SinglePrintWindow(
          WaybillVariant::ImportedSingle,
          {QStringLiteral(u"单张打印顺丰快递单"), QStringLiteral(u"单张打印"), QSize(822, 559), 32},
          senderQuery, importedQuery, parent)
{
}
