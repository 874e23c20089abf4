#include "waybill/windows/eplsf1_form.h"

#include "store/statements.h"

TEPlsf1Form::TEPlsf1Form(QWidget* parent)
    : BatchPrintWindow(
          WaybillVariant::ImportedBatch,
          {QStringLiteral(u"批量打印顺丰快递单"), QStringLiteral(u"批量打印"), QSize(823, 562), 32},
          Statements::selectImported(), parent)
{
}
