#pragma once

#include "waybill/windows/print_window.h"

// "批量打印顺丰快递单" for the address book: one page per row of inrxx,
// read through the window's own connection.
class BatchPrintWindow : public AllRowsPrintWindow {
    Q_OBJECT
public:
    // Throws StoreError when the store cannot be opened.
    explicit BatchPrintWindow(const StoreSession& store, QWidget* parent = nullptr);
};
