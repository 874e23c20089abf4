#include "waybill/windows/batch_print_window.h"

#include "store/statements.h"

BatchPrintWindow::BatchPrintWindow(const StoreSession& store, QWidget* parent)
    : AllRowsPrintWindow(
          store, WaybillVariant::AddressBookBatch,
          {QStringLiteral(u"批量打印顺丰快递单"), QStringLiteral(u"批量打印"), QSize(821, 561), 30},
          Statements::selectRecipients(), parent)
{
}
