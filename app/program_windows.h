#pragma once

#include <memory>

class MainWindow;
class ImportWindow;
class ImportedSinglePrintWindow;
class BackupWindow;
class SinglePrintWindow;
class BatchPrintWindow;
class ImportedBatchPrintWindow;
class PrintLogWindow;
class TemplateDesigner;
class StoreSession;

// Every window of the program, created once in a fixed order and living
// for the whole run; the main window comes first and opens the database.
// Every window works on `store`.
class ProgramWindows {
public:
    // Throws CommandError when the database cannot be worked on; no
    // window is left then.
    explicit ProgramWindows(const StoreSession& store);
    ~ProgramWindows();

    MainWindow& mainWindow() { return *m_main; }
    ImportWindow& importWindow() { return *m_import; }
    BackupWindow& backupWindow() { return *m_backup; }
    SinglePrintWindow& singlePrintWindow() { return *m_singlePrint; }
    BatchPrintWindow& batchPrintWindow() { return *m_batchPrint; }
    ImportedSinglePrintWindow& importedSinglePrintWindow() { return *m_importedSinglePrint; }
    ImportedBatchPrintWindow& importedBatchPrintWindow() { return *m_importedBatchPrint; }
    PrintLogWindow& printLogWindow() { return *m_printLog; }
    // Made when first asked for.
    TemplateDesigner& templateDesigner();

private:
    void create();
    void wire();

    const StoreSession& m_store;
    std::unique_ptr<MainWindow> m_main;
    std::unique_ptr<ImportWindow> m_import;
    std::unique_ptr<BackupWindow> m_backup;
    std::unique_ptr<SinglePrintWindow> m_singlePrint;
    std::unique_ptr<BatchPrintWindow> m_batchPrint;
    std::unique_ptr<ImportedSinglePrintWindow> m_importedSinglePrint;
    std::unique_ptr<ImportedBatchPrintWindow> m_importedBatchPrint;
    std::unique_ptr<PrintLogWindow> m_printLog;
    std::unique_ptr<TemplateDesigner> m_designer;
};
