#pragma once

#include <QList>
#include <QString>

class Connection;

// The waybill numbers given to a run's pages after it printed, one at a
// time in the order the forms came out (a scanner reads each form's
// barcode): each goes to the run's next page without one. A number is
// refused, nothing written, when it is already in the log, is no form's
// number (WaybillNumbers::fault), or there is no page left for it; the
// write is refused too when another desk gave that page a number first.
class NumberAssignment {
public:
    struct Page {
        QString page; // the page's place in the log
        QString orderNumber;
        QString waybillNumber;
        QString name;
        QString mobile;
    };

    // The pages of run `run`; throws StoreError.
    NumberAssignment(Connection& connection, const QString& run);

    const QString& run() const { return m_run; }
    const QList<Page>& pages() const { return m_pages; }
    // The page the next number goes to, -1 when every page has one.
    int next() const { return m_next < m_pages.size() ? m_next : -1; }
    // Gives the next page `number`; "" when done, else why not.
    QString attach(const QString& number);
    // Takes back the number given last here; "" when done, else why not.
    QString undo();
    bool canUndo() const { return !m_given.isEmpty(); }
    int numbered() const { return m_numbered; } // pages with a number
    // The pages as the store holds them now.
    void reload();

private:
    // Keeps the counts below as `page` gets `number` ("" takes it back).
    void setNumber(int page, const QString& number);
    void moveNext();

    Connection& m_connection;
    QString m_run;
    QList<Page> m_pages;
    QList<int> m_given; // pages given a number here, the last one last
    // Every page before it has a number: a scan costs the same on the
    // last page of a long run as on the first.
    int m_next = 0;
    int m_numbered = 0; // pages with a number
    int m_lettered = 0; // of those, numbers with other than digits
};
