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
class QPushButton;
class QTimer;
class RecipientEditor;
class RecipientGrid;
class SenderPanel;
class StoreSession;

// MainWindow, the main window: the address book under its command bar, the
// sender panel, the recipient editor, the menus that open every other
// window, and the status-bar clock.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(const StoreSession& store, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Opens the database and fills the window from it; throws CommandError
    // when it cannot, and the window is of no use then.
    void open();

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

    void showSenderPanel();     // 寄件人信息
    void showRecipients();      // 收件人信息
    void quit();                // 退出软件
    void openSinglePrint();     // 单张打印
    void openBatchPrint();      // 批量打印
    void openImport();          // 数据导入
    void exportFromMenu();      // 数据导出 (main menu)
    void openBackup();          // 数据备份与恢复
    void openFaq();             // 常见问题
    void openSupport();         // 技术支持
    void openHomePage();        // 软件首页
    void openPrintLog();        // 打印记录
    void exportFromPopup();     // 数据导出 (pop-up)
    void addRecipient();        // 新 增
    void modifyRecipient();     // 修 改
    void deleteRecipient();     // 删 除
    void search();              // 查 询
    void refresh();             // 刷 新
    void deleteAllRecipients(); // 全部删除
    void showClock();

protected:
    // A window holding unsaved work (the designer) may keep the program open.
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void buildCommandBar(QWidget* area);
    void buildStatusBar();
    void showCommandBar();
    bool exportBook(QString* fileName);
    static QString exportedText(const QString& fileName); // appended to the closing message

    MainQueries m_queries;
    AddressBook m_book{m_queries};

    QFrame* m_commandBar = nullptr;        // Panel3
    QPushButton* m_addButton = nullptr;    // Button6
    QPushButton* m_modifyButton = nullptr; // Button7
    QPushButton* m_deleteButton = nullptr; // Button8
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
