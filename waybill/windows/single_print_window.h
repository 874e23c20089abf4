#pragma once

#include "waybill/windows/print_window.h"

// "单张打印顺丰快递单" for the address book: one page from the current rows
// of the main window's sender and recipient queries.
class SinglePrintWindow : public CurrentRowPrintWindow {
    Q_OBJECT
public:
    SinglePrintWindow(const StoreSession& store, Dataset& senderQuery, Dataset& recipientQuery,
                      QWidget* parent = nullptr);
};
