#pragma once

#include <QList>
#include <QTableView>

class Dataset;

// The read-only grid over a recipient dataset (address book or imported
// rows): fixed titles and widths, whole-row selection, light-grey rows.
// Its selected row and the dataset's current row follow each other.
class RecipientGrid : public QTableView {
    Q_OBJECT
public:
    RecipientGrid(Dataset& dataset, QWidget* parent);

signals:
    // A left double click on a row or on the grid's empty part.
    void doubleClickedAnywhere();
    // Enter or Return with a row current.
    void enterPressed();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void followDataset(int row);
    void followSelection();

    Dataset& m_dataset;
    bool m_syncing = false;
    QList<int> m_widths;
};
