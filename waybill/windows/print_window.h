#pragma once

#include "store/query_sets.h"
#include "waybill/print_error.h"
#include "waybill/print_window_adjustments.h"
#include "waybill/waybill_layout.h"
#include "waybill/waybill_numbers.h"

#include <QDialog>
#include <functional>
#include <memory>
#include <optional>

class LayoutView;
class PageSource;
class QAction;
class QLabel;
class QLineEdit;
class QMenuBar;
class QPushButton;
class StoreSession;

// The design the four print windows share: the top row of shift boxes,
// the layout over the picture of the blank form and the one menu command
// that previews and prints. Closing only hides it, so its layout, font and
// box texts are there again at the next opening; exec() opens it modally.
class PrintWindow : public QDialog {
    Q_OBJECT
public:
    WaybillLayout& layout() { return m_layout; }
    const LayoutAdjustments& adjustments() const { return m_adjustments; }
    LayoutView& view() { return *m_view; }

public slots:
    void shiftHorizontally(); // 左右移动 确定
    void shiftVertically();   // 上下移动 确定
    void chooseFont();        // one font for every placement
    void previewAndPrint();

    // Kept per printer in the user's settings only when asked for.
    void saveCalibration();         // 保存为此打印机的默认位置
    void restoreFactoryPositions(); // 恢复出厂位置
    void printCalibrationPage();    // rulers and crosses, through the preview
    // The shop's choices for texts that do not fit, kept in the settings.
    void setAlwaysShrink(bool on); // 总是缩小放不下的文字, for the printer in use
    void askMinimumPoints();       // 缩小的最小字号
    // The first waybill number and its rule for the next run: 运单号…
    void askWaybillNumbers();
    // Single windows: the order the next page is for (订单编号…).
    void askOrderNumber();
    // 模板: the page printed with this window's rows; its calibration for
    // the printer in use is taken.
    void useTemplate(const LayoutTemplate& layoutTemplate);
    void openTemplateFile(); // 打开模板文件…

protected:
    struct Design {
        QString caption;
        QString command;  // the menu command's caption
        QSize clientArea; // below the menu bar
        int layoutTop;
    };
    // Prints the rows of `store` and logs the pages there.
    PrintWindow(const StoreSession& store, WaybillVariant variant, const Design& design,
                QWidget* parent);
    const StoreSession& store() const { return m_store; }

    // The pages of one run, reading the rows as they stand when drawn.
    virtual std::unique_ptr<PageSource> pages() = 0;

    // Runs a command through the error report. Closing its error box, or
    // the font chooser, gives the window back its activation; that is no
    // return from another window of the program.
    void runCommand(const std::function<void()>& command);
    // Such a box closed and the window waits for its activation back.
    virtual void boxTookActivation() {}

    void showEvent(QShowEvent* event) override;
    // Outlines what of the record the window would print first does not
    // reach paper whole.
    void refreshWarnings();

private:
    void noteBoxClosed();
    // A single print of a recipient printed today goes on only when the
    // user says so; false when not.
    bool printedTodayAnswered(PageSource& pages);
    void addCalibrationCommands(QWidget* panel, QMenuBar* menuBar);
    // 运单号… beside the calibration commands.
    void addNumberCommand(QWidget* panel);
    // The numbers of a run of `count` pages as set; throws PrintError.
    WaybillNumbers::Series numbersFor(int count) const;
    // The calibration stored for the printer in use, or the catalogue's
    // positions when it has none, unless that printer's was taken already
    // and is still what is stored.
    void takeStoredCalibration();
    void printerChosen();
    void layoutChanged();
    // A template file in place of the page, its picture in the view;
    // throws CommandError, what may not print as meant to `warnings`.
    // Gives why the picture cannot be shown, which leaves it printable.
    std::optional<PrintError> useTemplateFile(const QString& path, QStringList& warnings);
    // The template chosen at the last start, if it is still there.
    void restoreTemplate();

    const StoreSession& m_store;
    WaybillLayout m_layout;
    LayoutAdjustments m_adjustments{m_layout};
    LayoutView* m_view;
    QLineEdit* m_horizontalShift; // Edit1
    QLineEdit* m_verticalShift;   // Edit2
    QLabel* m_offset;
    QLabel* m_printer;
    QAction* m_alwaysShrink;
    std::optional<QString> m_calibratedFor;     // printer looked up last
    std::optional<Calibration> m_storedApplied; // what was stored for it then
    QString m_firstNumber;                      // none: the pages get no number
    QString m_orderNumber;                      // for the next single page only
    WaybillNumbers::Rule m_numberRule = WaybillNumbers::Rule::PlusOne;
    bool m_printerChanged = false;
    bool m_shown = false;
};

// A print window that prints one page from the current rows of another
// window's queries.
class CurrentRowPrintWindow : public PrintWindow {
    Q_OBJECT
protected:
    CurrentRowPrintWindow(const StoreSession& store, WaybillVariant variant, const Design& design,
                          Dataset& senderQuery, Dataset& recipientQuery, QWidget* parent);

    std::unique_ptr<PageSource> pages() override;

private:
    Dataset& m_sender;
    Dataset& m_recipients;
};

// A print window with its own connection and queries, reopened every time
// it becomes the active window, that prints one page per recipient row.
class AllRowsPrintWindow : public PrintWindow {
    Q_OBJECT
public:
    PrintingQueries& queries() { return m_queries; }

public slots:
    void rereadRows();

protected:
    // Opens the queries at once; throws StoreError.
    AllRowsPrintWindow(const StoreSession& store, WaybillVariant variant, const Design& design,
                       const TableQuery& recipientQuery, QWidget* parent);

    std::unique_ptr<PageSource> pages() override;
    bool event(QEvent* event) override;
    void boxTookActivation() override;

private:
    // What the window's next activation does; one at a time, so that no
    // two reasons to skip the re-read, or to take it, can meet.
    enum class Activation {
        Unread,         // the tables not read, nor tried, since creation
        ReadOnShow,     // read when shown: the activation that follows reads no second copy
        Rereads,        // the next activation reads the tables again
        BoxClosed,      // a box of this window had the activation: getting it back is none
        LeftTheProgram, // no window of the program active: coming back is no activation
    };

    void opened();
    void activated();
    void deactivated();
    void otherWindowFocused();
    // Out of Unread; true when that was the state.
    bool markRead();

    PrintingQueries m_queries;
    Activation m_activation = Activation::Unread;
};
