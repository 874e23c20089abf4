#pragma once

#include <QDialog>

class PrintLogModel;
class QLabel;
class QLineEdit;
class QTableView;
class ScanWindow;
class StoreSession;

// "打印记录": every page sent to a printer or a PDF, newest first, found by
// the recipient's name or mobile and the day printed; the chosen pages
// print again, exactly as they were, through the print preview. Reads the
// log of `store` afresh at every opening and after every search or reprint,
// at most `listed` pages of it, which a log of any length opens quickly in.
class PrintLogWindow : public QDialog {
    Q_OBJECT
public:
    static constexpr qsizetype newestListed = 10000;

    explicit PrintLogWindow(const StoreSession& store, QWidget* parent = nullptr,
                            qsizetype listed = newestListed);

    // The log's numbers of the pages listed, in list order.
    QList<qlonglong> listedNumbers() const;

public slots:
    void search();         // 查 询
    void reprint();        // 重新打印
    void openScan();       // 扫描回填, into the chosen page's run
    void exportShipment(); // 导出发货单, of the chosen page's run or from the date on

    ScanWindow& scanWindow() { return *m_scan; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    const StoreSession& m_store;
    const qsizetype m_listed;
    QLineEdit* m_name;   // Edit1
    QLineEdit* m_mobile; // Edit2
    QLineEdit* m_date;   // Edit3
    QLineEdit* m_number; // Edit4: order or waybill number
    QTableView* m_list;  // DBGridEh1
    QLabel* m_more;      // shown when more pages matched than are listed
    PrintLogModel* m_model;
    ScanWindow* m_scan;

    // The run of the first page chosen, else of the newest page listed;
    // empty when none is listed. Throws StoreError.
    QString chosenRun() const;
};
