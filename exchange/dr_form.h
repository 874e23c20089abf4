#pragma once

#include "store/connection.h"
#include "store/dataset.h"

#include <QDialog>

class ClosePicture;
class MovablePanel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;
class QToolButton;
class RecipientGrid;

// "Excel导入": fills table excel from a sheet, lists and searches the
// imported rows, and asks for them to be printed. It has a connection of its
// own; the single-print window for imported rows binds to query().
class TDrForm : public QDialog {
    Q_OBJECT
public:
    // Opens the connection and "select * from excel"; throws StoreError.
    explicit TDrForm(QWidget* parent = nullptr);
    ~TDrForm() override;

    Dataset& query() { return ADOQuery1; }

    QLineEdit* Edit1 = nullptr; // path
    QLineEdit* Edit2 = nullptr; // name search
    QLineEdit* Edit3 = nullptr; // mobile search
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    MovablePanel* Panel1 = nullptr;
    ClosePicture* Image1 = nullptr;
    RecipientGrid* DBGridEh1 = nullptr;
    QMenu* PopupMenu1 = nullptr;

signals:
    // "单张打印" / "批量打印": the owner stamps the date and opens the window.
    void singlePrintRequested();
    void batchPrintRequested();

public slots:
    void N1Click();  // 选择路径
    void N2Click();  // 单张打印
    void N3Click();  // 批量打印
    void N49Click(); // 关闭窗口
    // The pop-up menu's items, the same commands.
    void N4Click();
    void N8Click();
    void N5Click();
    void N55Click();
    void SpeedButton1Click();
    void Image1Click();
    void Button1Click(); // 导 入
    void Button2Click(); // 查 询
    void Button3Click(); // 刷 新

private:
    void buildSearchBar(QWidget* client);
    void buildPathPanel(QWidget* client);
    QMenuBar* buildMenus();
    void openImported(); // "select * from excel"; throws StoreError

    Connection ADOConnection1;
    Dataset ADOQuery1;
};
