#pragma once

#include <QDialog>

class Connection;

// "数据库备份与恢复": backs up the database the program has open and
// restores it from a backup, which ends the program.
class BackupWindow : public QDialog {
    Q_OBJECT
public:
    BackupWindow(Connection& mainConnection, QWidget* parent = nullptr);

signals:
    // Emitted once "数据恢复成功！" is confirmed; the program must end then.
    void restoreSucceeded();

public slots:
    void backup();
    void restore();

protected:
    void showEvent(QShowEvent* event) override;

private:
    Connection& m_connection;
};
