#pragma once

#include "exchange/sheet_rows.h"
#include "store/query_sets.h"

#include <QDialog>
#include <optional>

class ClosePicture;
class MovablePanel;
class QAction;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;
class QToolButton;
class RecipientGrid;

// "Excel导入": fills table excel from a sheet, lists and searches the
// imported rows, and asks for them to be printed. It has a connection of its
// own; the single-print window for imported rows binds to query().
class ImportWindow : public QDialog {
    Q_OBJECT
public:
    // Opens the connection; throws StoreError. "select * from excel" is
    // read when the window is first shown.
    explicit ImportWindow(const StoreSession& store, QWidget* parent = nullptr);
    ~ImportWindow() override;

    Dataset& query() { return m_queries.imported; }

signals:
    // "单张打印" / "批量打印": the owner stamps the date and opens the window.
    void singlePrintRequested();
    void batchPrintRequested();

public slots:
    void showPathPanel();      // 选择路径
    void requestSinglePrint(); // 单张打印
    void requestBatchPrint();  // 批量打印
    void closeWindow();        // 关闭窗口
    void choosePath();
    void hidePathPanel();
    void importSheet(); // 导 入
    void search();      // 查 询
    void refresh();     // 刷 新
    void undoImport();  // 撤销导入: the list before the last import, back

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildSearchBar(QWidget* client);
    void buildPathPanel(QWidget* client);
    QMenuBar* buildMenus();

    ImportQueries m_queries;
    QLineEdit* m_path = nullptr;         // Edit1
    QLineEdit* m_nameSearch = nullptr;   // Edit2
    QLineEdit* m_mobileSearch = nullptr; // Edit3
    QPushButton* m_import = nullptr;     // Button1
    QPushButton* m_search = nullptr;     // Button2
    QPushButton* m_refresh = nullptr;    // Button3
    QToolButton* m_choose = nullptr;     // SpeedButton1
    MovablePanel* m_pathPanel = nullptr; // Panel1
    ClosePicture* m_close = nullptr;     // Image1
    RecipientGrid* m_grid = nullptr;     // DBGridEh1
    QMenu* m_popup = nullptr;            // PopupMenu1
    QAction* m_undo = nullptr;           // N60
    // What excel held before the last import of this run.
    std::optional<SheetRows> m_previous;
};
