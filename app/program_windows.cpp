#include "app/program_windows.h"

#include "exchange/windows/import_window.h"
#include "maintenance/windows/backup_window.h"
#include "records/windows/main_window.h"
#include "store/store_session.h"
#include "waybill/windows/batch_print_window.h"
#include "waybill/windows/imported_batch_print_window.h"
#include "waybill/windows/imported_single_print_window.h"
#include "waybill/windows/print_log_window.h"
#include "waybill/windows/single_print_window.h"
#include "waybill/windows/template_designer.h"

#include <QCoreApplication>

ProgramWindows::ProgramWindows(const StoreSession& store) : m_store(store)
{
    m_main = std::make_unique<MainWindow>(m_store);
    // Nothing else can work without the database: stopped before any other
    // window tries it and the same error is shown again.
    m_main->open();
    create();
    wire();
}

ProgramWindows::~ProgramWindows() = default;

void ProgramWindows::create()
{
    MainWindow* owner = m_main.get();
    MainQueries& main = owner->queries();
    m_import = std::make_unique<ImportWindow>(m_store, owner);
    m_backup = std::make_unique<BackupWindow>(main.connection, owner);
    m_singlePrint =
        std::make_unique<SinglePrintWindow>(m_store, main.sender, main.recipients, owner);
    m_batchPrint = std::make_unique<BatchPrintWindow>(m_store, owner);
    m_importedSinglePrint =
        std::make_unique<ImportedSinglePrintWindow>(m_store, main.sender, m_import->query(), owner);
    m_importedBatchPrint = std::make_unique<ImportedBatchPrintWindow>(m_store, owner);
    // Reads the log only when opened.
    m_printLog = std::make_unique<PrintLogWindow>(m_store, owner);
}

void ProgramWindows::wire()
{
    m_main->setWindows({m_import.get(), m_backup.get(), m_singlePrint.get(), m_batchPrint.get(),
                        m_printLog.get(), [this] { return &templateDesigner(); }});
    QObject::connect(m_import.get(), &ImportWindow::singlePrintRequested, m_main.get(),
                     [this] { m_main->openPrintWindow(m_importedSinglePrint.get()); });
    QObject::connect(m_import.get(), &ImportWindow::batchPrintRequested, m_main.get(),
                     [this] { m_main->openPrintWindow(m_importedBatchPrint.get()); });
    QObject::connect(m_backup.get(), &BackupWindow::restoreSucceeded, m_main.get(), [this] {
        // The restored file is used from the next start.
        m_backup->hide();
        QCoreApplication::exit(0);
    });
}

TemplateDesigner& ProgramWindows::templateDesigner()
{
    if (!m_designer) {
        m_designer = std::make_unique<TemplateDesigner>(m_store, m_main.get());
        MainQueries& main = m_main->queries();
        m_designer->setCurrentRecord([&main](RecordRole role, const QString& column) {
            return role == RecordRole::Sender ? main.sender.field(column)
                                              : main.recipients.field(column);
        });
    }
    return *m_designer;
}
