#include "app/program_start.h"

#include "app/program_icon.h"
#include "app/program_windows.h"
#include "store/store_choice.h"
#include "store/store_error.h"
#include "store/store_session.h"
#include "ui/app_info.h"
#include "ui/error_report.h"
#include "ui/qt_texts.h"
#include "waybill/font_substitutions.h"

#include <QApplication>
#include <QTextStream>

namespace ProgramStart {

void prepare(QApplication& app)
{
    app.setApplicationName(QStringLiteral("sfwaybill"));
    app.setDesktopFileName(AppInfo::desktopEntry);
    app.setWindowIcon(ProgramIcon::icon());
    installFontSubstitutions();
    QtTexts::installChinese(app);
}

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
