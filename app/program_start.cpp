#include "app/program_start.h"

#include "app/program_windows.h"
#include "store/store_choice.h"
#include "store/store_error.h"
#include "store/store_session.h"
#include "ui/error_report.h"

#include <QTextStream>

namespace ProgramStart {

int failed(const CommandError& error, const QString& advice, QTextStream& err)
{
    ErrorReport::show(nullptr, error, advice);
    const auto* choice = dynamic_cast<const StoreChoiceError*>(&error);
    // A wrong store is told as the program's own complaint, as on the command line.
    if (choice)
        err << "sfwaybill: ";
    err << error.text() << '\n';
    if (!error.text().contains(error.detail()))
        err << error.detail() << '\n';
    if (!advice.isEmpty())
        err << advice << '\n';
    return choice && choice->fromOption() ? 2 : 1;
}

std::unique_ptr<ProgramWindows> windows(const StoreSession& store, QTextStream& err)
{
    try {
        return std::make_unique<ProgramWindows>(store);
    } catch (const StoreError& e) {
        failed(e, store.missingDatabaseAdvice(), err);
    } catch (const CommandError& e) {
        failed(e, {}, err);
    }
    return nullptr;
}

} // namespace ProgramStart
