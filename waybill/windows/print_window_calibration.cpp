// The print windows' calibration commands: kept per printer when asked,
// the factory positions, the calibration page and the offset shown.
#include "waybill/windows/print_window.h"

#include "ui/dialogs.h"
#include "ui/ui_fonts.h"
#include "waybill/calibration_page.h"
#include "waybill/calibration_store.h"
#include "waybill/printing/printer_choice.h"
#include "waybill/printing/printing_job.h"
#include "waybill/windows/layout_view.h"

#include <QLabel>
#include <QMenu>
#include <QToolButton>
#include <cmath>

namespace {

QString printerCaption(const QString& printer)
{
    return printer.isEmpty() ? QStringLiteral(u"（无打印机）") : printer;
}

// Rounded in whole hundredths: 12 px is 3.175 mm, shown as 3.18.
QString millimetres(Pixels px)
{
    return QString::number(std::round(px.value * 2540.0 / Pixels::perInch) / 100, 'f', 2);
}

} // namespace

void PrintWindow::addCalibrationCommands(QWidget* panel)
{
    // In the free space left of "左右移动", so that nothing of the window's
    // own design moves; the same commands pop up on a right click.
    auto* menu = new QMenu(this);
    auto add = [&](const char* name, const char16_t* caption, void (PrintWindow::*handler)()) {
        QAction* action = menu->addAction(QString::fromUtf16(caption));
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, handler);
        panel->addAction(action);
    };
    add("saveCalibration", u"保存为此打印机的默认位置", &PrintWindow::saveCalibration);
    add("restoreFactoryPositions", u"恢复出厂位置", &PrintWindow::restoreFactoryPositions);
    add("printCalibrationPage", u"打印校准页", &PrintWindow::printCalibrationPage);
    panel->setContextMenuPolicy(Qt::ActionsContextMenu);

    const QFont font = UiFonts::songti(12);
    auto* button = new QToolButton(panel);
    button->setObjectName(QStringLiteral("calibrationButton"));
    button->setText(QStringLiteral(u"校准"));
    button->setFont(font);
    button->setMenu(menu);
    button->setPopupMode(QToolButton::InstantPopup);
    button->setGeometry(8, 7, 56, 20);
    m_offset = new QLabel(panel);
    m_offset->setObjectName(QStringLiteral("offsetLabel"));
    m_offset->setFont(font);
    m_offset->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_offset->setGeometry(70, 8, 326, 16);
}

void PrintWindow::layoutChanged()
{
    m_view->refresh();
    // Not while the window is being made: its rows are not there yet.
    if (isVisible())
        refreshWarnings();
    const Calibration now = m_adjustments.calibration();
    m_offset->setText(QStringLiteral(u"总偏移：左右 %1 mm，上下 %2 mm")
                          .arg(millimetres(now.right), millimetres(now.down)));
}

void PrintWindow::takeStoredCalibration()
{
    // Asking the system for its printers may take a while: only when
    // something is stored at all.
    const CalibrationStore store;
    if (!store.isEmpty()) {
        const QString printer = PrinterChoice::inUse();
        if (m_calibratedFor != printer) {
            m_calibratedFor = printer;
            if (const std::optional<Calibration> stored = store.load(printer, m_layout.variant()))
                m_adjustments.apply(*stored);
        }
    }
    layoutChanged();
}

void PrintWindow::saveCalibration()
{
    const QString printer = PrinterChoice::inUse();
    runCommand([&] {
        CalibrationStore().save(printer, m_layout.variant(), m_adjustments.calibration());
        m_calibratedFor = printer;
        Dialogs::inform(
            this, QStringLiteral(u"已保存为打印机 %1 的默认位置！").arg(printerCaption(printer)));
    });
    noteBoxClosed();
}

void PrintWindow::restoreFactoryPositions()
{
    const QString printer = PrinterChoice::inUse();
    runCommand([&] {
        CalibrationStore().clear(printer, m_layout.variant());
        m_adjustments.restoreFactory();
    });
    layoutChanged();
}

void PrintWindow::printCalibrationPage()
{
    runCommand([this] {
        CalibrationPage page(m_layout);
        PrintJob job;
        Dialogs::current().preview(this, page, job);
    });
}
