#pragma once

#include "waybill/windows/print_window.h"

class Dataset;

// "单张打印顺丰快递单" for imported rows: one page from the main window's
// sender row and the current row of the import window's query over excel.
class TEsf1Form : public PrintWindow {
    Q_OBJECT
public:
    TEsf1Form(Dataset& senderQuery, Dataset& importedQuery, QWidget* parent = nullptr);

protected:
    std::unique_ptr<PageSource> pages() override;

private:
    Dataset& m_sender;
    Dataset& m_imported;
};
