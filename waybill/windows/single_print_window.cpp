#include "waybill/windows/single_print_window.h"

SinglePrintWindow::SinglePrintWindow(const StoreSession& store, Dataset& senderQuery,
                                     Dataset& recipientQuery, QWidget* parent)
    : CurrentRowPrintWindow(
          store, WaybillVariant::AddressBookSingle,
          {QStringLiteral(u"单张打印顺丰快递单"), QStringLiteral(u"单张打印"), QSize(821, 559), 30},
          senderQuery, recipientQuery, parent)
{
}
