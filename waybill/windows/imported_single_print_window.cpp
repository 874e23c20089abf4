#include "waybill/windows/imported_single_print_window.h"

ImportedSinglePrintWindow::ImportedSinglePrintWindow(const StoreSession& store,
                                                     Dataset& senderQuery, Dataset& importedQuery,
                                                     QWidget* parent)
    : CurrentRowPrintWindow(
          store, WaybillVariant::ImportedSingle,
          {QStringLiteral(u"单张打印顺丰快递单"), QStringLiteral(u"单张打印"), QSize(822, 559), 32},
          senderQuery, importedQuery, parent)
{
}
