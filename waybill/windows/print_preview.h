#pragma once

#include "waybill/warned_pages.h"

#include <QDialog>

class PageSource;
class PreviewPage;
class PreviewThumbnailList;
class PreviewThumbnails;
class PrintJob;
class QAction;
class QLabel;
class QPushButton;
class QScrollArea;
class QTimer;
class QToolBar;

// "打印预览", shared by every print window: one page at a time, a side tab
// of page pictures, zoom, paging, printer settings and "打 印". Pages are
// drawn from their source only when shown, so any number of them opens at
// once. exec() returns when the user closes it.
class PrintPreview : public QDialog {
    Q_OBJECT
public:
    enum class Zoom { FitPage, FitWidth, Actual };

    PrintPreview(PageSource& pages, PrintJob& job, QWidget* parent = nullptr);

    int pageCount() const { return m_pageCount; }
    int currentPage() const; // from 0
    Zoom zoom() const { return m_zoom; }
    double zoomFactor() const; // screen pixels per layout pixel

    void showPage(int index); // clamped to the pages there are

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAction* addCommand(const QString& caption, const QString& name);
    void setZoom(Zoom zoom);
    void applyZoom();
    void settings();
    void print();
    // Before paper: when pages about to print will not print whole, the
    // user chooses to shrink their texts, print them as they are, or not
    // print; false for not, or when the check before it is cancelled.
    // Asked once; a printer set to always shrink is not asked.
    bool choosePrintingOfWarnedPages();
    // From the next warned page after the one shown, round to the first.
    void showNextWarning();
    // How far the check is, or its pages with warnings once it is done.
    void showChecking();
    void showWarnedPages();
    void showBuilding(int percent);
    // What the pages draw changed (another printer's calibration).
    void pagesChanged();
    // Names where "打 印" sends the pages, or says there is nowhere.
    void showDestination();
    // How many of the pages print a recipient printed today already.
    void showPrintedToday();
    void updateIndicator();
    // Checks a slice of the pages each time the program is idle and counts
    // those with warnings.
    void checkSomePages();
    // Idle slices again, unless a print is on or nothing is left to check.
    void resumeChecking();
    // The whole-batch work above, once, after the first page is drawn.
    void startBatchWork();

    PageSource& m_pages;
    PrintJob& m_job;
    int m_pageCount;
    Zoom m_zoom = Zoom::FitPage;
    QToolBar* m_toolBar;
    QScrollArea* m_scroll;
    PreviewPage* m_page;
    PreviewThumbnails* m_thumbnails;
    PreviewThumbnailList* m_thumbnailList;
    QLabel* m_building;
    QLabel* m_indicator;
    QLabel* m_title;
    QLabel* m_printedToday;
    QLabel* m_destination;
    QLabel* m_pageWarnings;  // of the page shown
    QLabel* m_batchWarnings; // pages with warnings, of all
    QTimer* m_checking;
    WarnedPages m_warned;
    bool m_printing = false; // pages are checked for it, or printed
    bool m_shrinking = false;
    QPushButton* m_nextWarning;
    bool m_batchWorkStarted = false;
    QPushButton* m_offerSettings;
};
