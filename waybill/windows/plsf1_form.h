#pragma once

#include "waybill/windows/print_window.h"

// "批量打印顺丰快递单" for the address book: one page per row of inrxx,
// read through the window's own connection.
class TPlsf1Form : public BatchPrintWindow {
    Q_OBJECT
public:
    // Throws StoreError when data.mdb cannot be opened.
    explicit TPlsf1Form(QWidget* parent = nullptr);
};
