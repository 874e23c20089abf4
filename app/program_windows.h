#pragma once

#include <QString>
#include <memory>

class TForm1;
class TDrForm;
class TEsf1Form;
class TSjbfForm;
class TSf1Form;
class TPlsf1Form;
class TEPlsf1Form;
class TDyjlForm;
class TemplateDesigner;

// Every window of the program, created once in a fixed order and living
// for the whole run; the main window comes first and opens the database.
class ProgramWindows {
public:
    ProgramWindows();
    ~ProgramWindows();

    // Empty when every window could be created; otherwise the engine's
    // text, already shown, and the program must end with status 1.
    QString startupError() const { return m_startupError; }

    TForm1& form1() { return *m_form1; }
    TDrForm& drForm() { return *m_dr; }
    TSjbfForm& sjbfForm() { return *m_sjbf; }
    TSf1Form& sf1Form() { return *m_sf1; }
    TPlsf1Form& plsf1Form() { return *m_plsf1; }
    TEsf1Form& esf1Form() { return *m_esf1; }
    TEPlsf1Form& eplsf1Form() { return *m_eplsf1; }
    TDyjlForm& dyjlForm() { return *m_dyjl; }
    // Made when first asked for.
    TemplateDesigner& templateDesigner();

private:
    void create();
    void wire();

    QString m_startupError;
    std::unique_ptr<TForm1> m_form1;
    std::unique_ptr<TDrForm> m_dr;
    std::unique_ptr<TSjbfForm> m_sjbf;
    std::unique_ptr<TSf1Form> m_sf1;
    std::unique_ptr<TPlsf1Form> m_plsf1;
    std::unique_ptr<TEsf1Form> m_esf1;
    std::unique_ptr<TEPlsf1Form> m_eplsf1;
    std::unique_ptr<TDyjlForm> m_dyjl;
    std::unique_ptr<TemplateDesigner> m_designer;
};
