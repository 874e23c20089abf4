#pragma once

#include <QDialog>

class PrintLogModel;
class QLineEdit;
class QTableView;

// "打印记录": every page sent to a printer or a PDF, newest first, found by
// the recipient's name or mobile and the day printed; the chosen pages
// print again, exactly as they were, through the print preview. Reads the
// log afresh at every opening and after every search or reprint.
class TDyjlForm : public QDialog {
    Q_OBJECT
public:
    explicit TDyjlForm(QWidget* parent = nullptr);

    // The log's numbers of the pages listed, in list order.
    QList<qlonglong> listedNumbers() const;

public slots:
    void Button1Click(); // 查 询
    void Button2Click(); // 重新打印

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLineEdit* m_name;   // Edit1
    QLineEdit* m_mobile; // Edit2
    QLineEdit* m_date;   // Edit3
    QTableView* m_list;  // DBGridEh1
    PrintLogModel* m_model;
};
