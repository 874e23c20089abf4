#pragma once

#include "waybill/windows/print_window.h"

// "批量打印顺丰快递单" for imported rows: one page per row of excel, read
// through the window's own connection.
class ImportedBatchPrintWindow : public AllRowsPrintWindow {
    Q_OBJECT
public:
    // Throws StoreError when the store cannot be opened.
    explicit ImportedBatchPrintWindow(const StoreSession& store, QWidget* parent = nullptr);
};
