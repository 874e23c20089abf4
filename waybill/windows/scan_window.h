#pragma once

#include <QDialog>
#include <memory>

class Connection;
class NumberAssignment;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class StoreSession;

// "扫描回填": the forms of a printed run scanned one after the other in the
// order they came out; a scanner types each barcode's digits and Enter into
// the scan box, which never loses the focus, and the number goes to the
// run's next page without one, shown beside its recipient. A refused
// number is said under the box with a beep and attaches nothing;
// "撤销上一个" (Ctrl+Z) takes the last one back.
class ScanWindow : public QDialog {
    Q_OBJECT
public:
    // Works on the print log of `store`.
    explicit ScanWindow(const StoreSession& store, QWidget* parent = nullptr);
    ~ScanWindow() override;

    // Reads run `run`'s pages; throws StoreError.
    void openRun(const QString& run);
    QString lastMessage() const;

public slots:
    void scanned(); // Enter in the scan box
    void undo();    // 撤销上一个

protected:
    // Ctrl+Z in the scan box undoes the last number, not the box's typing.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Every row, or only page `given`'s number: a long run's table is not
    // built again for each scan.
    void showPages(int given = -1);
    void say(const QString& text, bool refused);

    const StoreSession& m_store;
    std::unique_ptr<Connection> m_connection;
    std::unique_ptr<NumberAssignment> m_assignment;
    QLabel* m_title;
    QLineEdit* m_box;
    QLabel* m_message;
    QPushButton* m_undo;
    QTableWidget* m_pages;
};
