#pragma once

#include "waybill/windows/print_window.h"

// "单张打印顺丰快递单" for imported rows: one page from the main window's
// sender row and the current row of the import window's query over excel.
class TEsf1Form : public SinglePrintWindow {
    Q_OBJECT
public:
    TEsf1Form(Dataset& senderQuery, Dataset& importedQuery, QWidget* parent = nullptr);
};
