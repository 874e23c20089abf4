// sfwaybill: creates every window once, in a fixed order, and runs until
// the main window closes.
#include "app/main_window.h"
#include "app/program_windows.h"
#include "app/qt_texts.h"
#include "app/widgets.h"
#include "maintenance/temporary_files.h"
#include "waybill/font_substitutions.h"

#include <QApplication>
#include <QDir>
#include <QTextStream>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("sfwaybill"));
    installFontSubstitutions();
    QtTexts::installChinese(app);
    TemporaryFiles::removeLeftovers(QDir::currentPath());

    ProgramWindows windows;
    if (!windows.startupError().isEmpty()) {
        QTextStream(stderr) << windows.startupError() << '\n';
        return 1;
    }
    Widgets::centreOnScreen(&windows.form1());
    windows.form1().show();
    return app.exec();
}
