#pragma once

#include "waybill/windows/print_window.h"

// "单张打印顺丰快递单" for imported rows: one page from the main window's
// sender row and the current row of the import window's query over excel.
class ImportedSinglePrintWindow : public CurrentRowPrintWindow {
    Q_OBJECT
public:
    ImportedSinglePrintWindow(const StoreSession& store, Dataset& senderQuery,
                              Dataset& importedQuery, QWidget* parent = nullptr);
};
