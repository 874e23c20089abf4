#pragma once

#include "waybill/page_source.h"
#include "waybill/waybill_numbers.h"
#include "waybill/waybill_pages.h"

#include <QHash>
#include <QPair>

class Dataset;
class RowSource;
class StoreSession;

// A print run's pages as the log is to keep them: each with the order its
// imported row came with and the number of the form it goes on (page i
// takes the series' i-th). Draws and measures as the pages it wraps.
class RunPages : public PageSource {
public:
    // `recipients` is the dataset the pages read, in `mode`; the order
    // numbers are read from its store, when it lists imported rows, the
    // first time a page is described. The log of `store` is asked about the
    // numbers.
    RunPages(const StoreSession& store, PageSource& pages, const Dataset* recipients,
             RecordMode mode);
    // A page for each of `rows`, however they are held; the order numbers
    // are read through a connection of its own.
    RunPages(const StoreSession& store, PageSource& pages, const RowSource& rows);

    void setNumbers(const WaybillNumbers::Series& numbers) { m_numbers = numbers; }
    // The order every page is for, whatever its row came with: a recipient
    // typed in by hand has none of its own.
    void setOrderNumber(const QString& number) { m_orderNumber = number; }
    const WaybillNumbers::Series& numbers() const { return m_numbers; }
    // The pages about to print, in the order they come out (a page range
    // prints some of them): the i-th of them goes on the i-th form.
    void setPrintOrder(const QList<int>& indices);
    // Before paper: why the pages may not go on their forms now (a number
    // the log holds already, the pad used up); "" when they may. Throws
    // StoreError.
    QString refusal() const;
    // After a run that put `forms` forms out: printed again, the pages go
    // on the pad's next forms.
    void formsUsed(int forms);
    // The number of the pad's next form; "" without numbers or past its end.
    QString nextNumber() const { return m_padEnd.isEmpty() ? m_numbers.at(0) : QString(); }

    int pageCount() override { return m_pages.pageCount(); }
    QSizeF paperMm() override { return m_pages.paperMm(); }
    void drawPage(QPainter& painter, int index) override { m_pages.drawPage(painter, index); }
    QList<FieldWarning> warnings(int index) override { return m_pages.warnings(index); }
    void setShrinkToFit(double minimumPoints) override { m_pages.setShrinkToFit(minimumPoints); }
    bool describePage(int index, LoggedPage& page) override;
    std::optional<QList<int>> pagesKeyedAs(const QSet<quint32>& keys) override
    {
        return m_pages.pagesKeyedAs(keys);
    }

private:
    void readOrders();

    const StoreSession& m_store;
    PageSource& m_pages;
    bool m_ordersRead = false;
    const Dataset* m_recipients; // the current row's, in RecordMode::CurrentRow
    const RowSource* m_rows;     // in RecordMode::EveryRow
    RecordMode m_mode;
    QHash<qlonglong, QPair<QString, QString>> m_orders; // by row identity: number, shop
    WaybillNumbers::Series m_numbers;
    QString m_orderNumber;
    QString m_padEnd;       // why the pad has no forms left
    QHash<int, int> m_form; // form by page index, when not every page prints
};
