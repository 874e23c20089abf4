#pragma once

#include "records/address_book.h"
#include "store/query_sets.h"

#include <QDateTime>
#include <QMainWindow>
#include <functional>

class QDialog;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QTimer;
class RecipientEditor;
class RecipientGrid;
class SenderPanel;

// MainWindow, the main window: the address book under its command bar, the
// sender panel, the recipient editor, the menus that open every other
// window, and the status-bar clock.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // False when the database could not be opened at creation.
    bool databaseOpened() const { return m_openError.isEmpty(); }
    QString openError() const { return m_openError; }

    MainQueries& queries() { return m_queries; }
    RecipientEditor& recipientEditor() { return *m_editor; }

    // The windows created after this one, opened from the menus.
    struct Windows {
        QDialog* import = nullptr;      // ImportWindow
        QDialog* backup = nullptr;      // BackupWindow
        QDialog* singlePrint = nullptr; // SinglePrintWindow
        QDialog* batchPrint = nullptr;  // BatchPrintWindow
        QDialog* printLog = nullptr;    // PrintLogWindow

        // Made at its first opening: a start without it costs nothing.
        std::function<QWidget*()> templateDesigner;
    };
    void setWindows(const Windows& windows) { m_windows = windows; }

    // Writes the three date boxes into the sender row; false (error shown)
    // when it failed, and the caller must not open its window.
    bool stampDate();
    // Date stamp, then the window, modal.
    void openPrintWindow(QDialog* window);

    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }
    QString clockText() const;

public slots:
    // 模板设计
    void openTemplateDesigner();

    void N1Click();       // 寄件人信息
    void N2Click();       // 收件人信息
    void N4Click();       // 退出软件
    void N5Click();       // 单张打印
    void N6Click();       // 批量打印
    void N7Click();       // 单张打印 (pop-up)
    void N8Click();       // 批量打印 (pop-up)
    void N11Click();      // 新增记录 (pop-up)
    void N12Click();      // 修改记录 (pop-up)
    void N13Click();      // 删除记录 (pop-up)
    void N18Click();      // 数据导入
    void N19Click();      // 数据导出 (main menu)
    void N20Click();      // 数据备份与恢复
    void N23Click();      // 常见问题
    void N24Click();      // 技术支持
    void N25Click();      // 软件首页
    void N40Click();      // 打印记录
    void N31Click();      // 数据导入 (pop-up)
    void N32Click();      // 数据导出 (pop-up)
    void Button6Click();  // 新 增
    void Button7Click();  // 修 改
    void Button8Click();  // 删 除
    void Button9Click();  // 查 询
    void Button10Click(); // 刷 新
    void N15Click();      // 全部删除
    void DBGridEh1DblClick();
    void Timer1Timer();

protected:
    // A window holding unsaved work (the designer) may keep the program open.
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void buildMenus();
    void buildCommandBar(QWidget* area);
    void buildStatusBar();
    void showCommandBar();
    bool exportBook(QString* fileName);
    static QString exportedText(const QString& fileName); // appended to the closing message

    MainQueries m_queries;
    AddressBook m_book{m_queries};
    QString m_openError;

    QFrame* m_commandBar = nullptr; // Panel3
    QLineEdit* m_nameSearch = nullptr;
    QLineEdit* m_mobileSearch = nullptr;
    RecipientGrid* m_grid = nullptr;
    SenderPanel* m_senderPanel = nullptr;
    RecipientEditor* m_editor = nullptr;
    QMenu* m_popup = nullptr;
    QLabel* m_clockPanel = nullptr;
    QLabel* m_webPanel = nullptr;
    QTimer* m_timer = nullptr;

    Windows m_windows;
    std::function<QDateTime()> m_clock = [] { return QDateTime::currentDateTime(); };
};
