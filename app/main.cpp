// sfwaybill: creates every window once, in a fixed order, and runs until
// the main window closes.
#include "app/main_window.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("sfwaybill"));

    TForm1 form1;
    if (!form1.databaseOpened())
        return 1;
    form1.show();
    return app.exec();
}
