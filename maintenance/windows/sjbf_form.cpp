#include "maintenance/windows/sjbf_form.h"

#include "maintenance/database_backup.h"
#include "store/connection.h"
#include "ui/dialogs.h"
#include "ui/ui_fonts.h"
#include "ui/widgets.h"

#include <QScreen>

TSjbfForm::TSjbfForm(Connection& mainConnection, QWidget* parent)
    : QDialog(parent), m_connection(mainConnection)
{
    setObjectName(QStringLiteral("SjbfForm"));
    setWindowTitle(QStringLiteral(u"数据库备份与恢复"));
    setFixedSize(376, 116);
    setModal(true);

    QFrame* panel = Widgets::sunkenPanel(this, QStringLiteral("Panel1"));
    panel->setGeometry(rect());
    QLabel* notice =
        Widgets::label(panel, QStringLiteral(u"提示：及时备份数据库，能更好地保护数据不被丢失！"),
                       24, 26, UiFonts::songti(13, true), Qt::red);
    notice->setObjectName(QStringLiteral("Label1"));
    QPushButton* backup = Widgets::button(panel, QStringLiteral("Button1"),
                                          QStringLiteral(u"数据库备份"), 64, 64, 110, 33);
    QPushButton* restore = Widgets::button(panel, QStringLiteral("Button2"),
                                           QStringLiteral(u"数据库恢复"), 216, 64, 110, 33);
    backup->setFont(UiFonts::songti(15, true));
    restore->setFont(UiFonts::songti(15, true));
    connect(backup, &QPushButton::clicked, this, &TSjbfForm::Button1Click);
    connect(restore, &QPushButton::clicked, this, &TSjbfForm::Button2Click);
}

void TSjbfForm::showEvent(QShowEvent* event)
{
    if (QScreen* s = screen())
        move(s->availableGeometry().center() - rect().center());
    QDialog::showEvent(event);
}

void TSjbfForm::Button1Click()
{
    const QString chosen = Dialogs::current().saveFile(this, QString(), QString());
    if (chosen.isEmpty())
        return;
    try {
        DatabaseBackup::backup(m_connection.path(), DatabaseBackup::backupFileName(chosen));
    } catch (const std::exception& e) {
        Dialogs::notice(this,
                        QStringLiteral(u"数据备份失败，请重试！\n") + QString::fromUtf8(e.what()));
        return;
    }
    Dialogs::notice(this, QStringLiteral(u"数据备份成功！"));
}

void TSjbfForm::Button2Click()
{
    const QString chosen = Dialogs::current().openFile(this, QString(), QString());
    if (chosen.isEmpty())
        return;
    try {
        // The connection stays open until the checked copy is ready.
        DatabaseBackup::restore(chosen, m_connection.path(), [this] { m_connection.close(); });
    } catch (const std::exception& e) {
        Dialogs::notice(this,
                        QStringLiteral(u"数据恢复失败，请重试！\n") + QString::fromUtf8(e.what()));
        return;
    }
    Dialogs::notice(this, QStringLiteral(u"数据恢复成功！"));
    emit restoreSucceeded();
}
