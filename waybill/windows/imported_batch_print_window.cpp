#include "waybill/windows/imported_batch_print_window.h"

#include "store/statements.h"

ImportedBatchPrintWindow::ImportedBatchPrintWindow(const StoreSession& store, QWidget* parent)
    : AllRowsPrintWindow(
          store, WaybillVariant::ImportedBatch,
          {QStringLiteral(u"批量打印顺丰快递单"), QStringLiteral(u"批量打印"), QSize(823, 562), 32},
          Statements::selectImported(), parent)
{
}
