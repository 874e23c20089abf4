#include "maintenance/windows/backup_window.h"

#include "maintenance/backup_error.h"
#include "maintenance/database_backup.h"
#include "store/command_error.h"
#include "store/connection.h"
#include "ui/dialogs.h"
#include "ui/error_report.h"
#include "ui/ui_fonts.h"
#include "ui/widgets.h"

#include <QScreen>

namespace {

// What went wrong and what to do; the error report adds the reason.
QString restoreAdvice(const CommandError& e, bool connectionClosed)
{
    QString advice = QStringLiteral(u"原数据库没有改动。");
    if (const auto* backup = dynamic_cast<const BackupError*>(&e)) {
        if (backup->kind() == BackupError::Kind::NotADatabase)
            advice = QStringLiteral(u"所选文件不是本程序的数据库备份，原数据库没有改动。"
                                    u"请选择用“数据库备份”做的备份文件（.bak）。");
        else if (backup->kind() == BackupError::Kind::NoFile)
            advice = QStringLiteral(u"找不到所选的文件，原数据库没有改动。");
    }
    // Closed for a replacement that then failed: only a new start opens
    // the database again.
    if (connectionClosed)
        advice += QStringLiteral(u"请关闭并重新打开本程序后再使用。");
    return advice;
}

} // namespace

BackupWindow::BackupWindow(Connection& mainConnection, QWidget* parent)
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
    connect(backup, &QPushButton::clicked, this, &BackupWindow::backup);
    connect(restore, &QPushButton::clicked, this, &BackupWindow::restore);
}

void BackupWindow::showEvent(QShowEvent* event)
{
    if (QScreen* s = screen())
        move(s->availableGeometry().center() - rect().center());
    QDialog::showEvent(event);
}

void BackupWindow::backup()
{
    const QString chosen = Dialogs::current().saveFile(this, QString(), QString());
    if (chosen.isEmpty())
        return;
    try {
        DatabaseBackup::backup(m_connection.path(), DatabaseBackup::backupFileName(chosen));
    } catch (const CommandError& e) {
        ErrorReport::show(this, ErrorReport::Box::Notice, QStringLiteral(u"数据备份失败，请重试！"),
                          e);
        return;
    }
    Dialogs::notice(this, QStringLiteral(u"数据备份成功！"));
}

void BackupWindow::restore()
{
    const QString chosen = Dialogs::current().openFile(this, QString(), QString());
    if (chosen.isEmpty())
        return;
    try {
        // The connection stays open until the checked copy is ready.
        DatabaseBackup::restore(chosen, m_connection.path(), [this] { m_connection.close(); });
    } catch (const CommandError& e) {
        ErrorReport::show(this, ErrorReport::Box::Notice, QStringLiteral(u"数据恢复失败，请重试！"),
                          e, restoreAdvice(e, !m_connection.isOpen()));
        return;
    }
    Dialogs::notice(this, QStringLiteral(u"数据恢复成功！\n"
                                         u"点“确定”后程序将关闭：恢复的数据在下次启动时使用，"
                                         u"请重新打开本程序。"));
    emit restoreSucceeded();
}
