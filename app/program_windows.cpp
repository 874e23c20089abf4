#include "app/program_windows.h"

#include "exchange/windows/dr_form.h"
#include "maintenance/windows/sjbf_form.h"
#include "records/windows/main_window.h"
#include "store/command_error.h"
#include "ui/error_report.h"
#include "waybill/windows/dyjl_form.h"
#include "waybill/windows/eplsf1_form.h"
#include "waybill/windows/esf1_form.h"
#include "waybill/windows/plsf1_form.h"
#include "waybill/windows/sf1_form.h"
#include "waybill/windows/template_designer.h"

#include <QCoreApplication>

ProgramWindows::ProgramWindows()
{
    m_form1 = std::make_unique<TForm1>();
    if (!m_form1->databaseOpened()) {
        // Nothing else can work without the database; stop before any
        // other window tries it and shows the same error again.
        m_startupError = m_form1->openError();
        return;
    }
    try {
        create();
    } catch (const CommandError& e) {
        m_startupError = e.text();
        ErrorReport::show(m_form1.get(), m_startupError);
        return;
    }
    wire();
}

ProgramWindows::~ProgramWindows() = default;

void ProgramWindows::create()
{
    TForm1* owner = m_form1.get();
    MainQueries& main = owner->queries();
    m_dr = std::make_unique<TDrForm>(owner);
    m_sjbf = std::make_unique<TSjbfForm>(main.connection, owner);
    m_sf1 = std::make_unique<TSf1Form>(main.sender, main.recipients, owner);
    m_plsf1 = std::make_unique<TPlsf1Form>(owner);
    m_esf1 = std::make_unique<TEsf1Form>(main.sender, m_dr->query(), owner);
    m_eplsf1 = std::make_unique<TEPlsf1Form>(owner);
    // Reads the log only when opened.
    m_dyjl = std::make_unique<TDyjlForm>(owner);
}

void ProgramWindows::wire()
{
    m_form1->setWindows({m_dr.get(), m_sjbf.get(), m_sf1.get(), m_plsf1.get(), m_dyjl.get(),
                         [this] { return &templateDesigner(); }});
    QObject::connect(m_dr.get(), &TDrForm::singlePrintRequested, m_form1.get(),
                     [this] { m_form1->openPrintWindow(m_esf1.get()); });
    QObject::connect(m_dr.get(), &TDrForm::batchPrintRequested, m_form1.get(),
                     [this] { m_form1->openPrintWindow(m_eplsf1.get()); });
    QObject::connect(m_sjbf.get(), &TSjbfForm::restoreSucceeded, m_form1.get(), [this] {
        // The restored file is used from the next start.
        m_sjbf->hide();
        QCoreApplication::exit(0);
    });
}

TemplateDesigner& ProgramWindows::templateDesigner()
{
    if (!m_designer) {
        m_designer = std::make_unique<TemplateDesigner>(m_form1.get());
        MainQueries& main = m_form1->queries();
        m_designer->setCurrentRecord([&main](RecordRole role, const QString& column) {
            return role == RecordRole::Sender ? main.sender.field(column)
                                              : main.recipients.field(column);
        });
    }
    return *m_designer;
}
