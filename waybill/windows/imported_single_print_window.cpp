#include "waybill/windows/imported_single_print_window.h"

ImportedSinglePrintWindow::ImportedSinglePrintWindow(Dataset& senderQuery, Dataset& importedQuery,
                                                     QWidget* parent)
    : CurrentRowPrintWindow(
          WaybillVariant::ImportedSingle,
          {QStringLiteral(u"单张打印顺丰快递单"), QStringLiteral(u"单张打印"), QSize(822, 559), 32},
          senderQuery, importedQuery, parent)
{
}
