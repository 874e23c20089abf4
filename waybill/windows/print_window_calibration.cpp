// The print windows' calibration commands: kept per printer when asked,
// the factory positions, the calibration page and the offset shown.
#include "waybill/windows/print_window.h"

#include "store/command_error.h"
#include "ui/dialogs.h"
#include "ui/error_report.h"
#include "ui/ui_fonts.h"
#include "waybill/calibration_page.h"
#include "waybill/calibration_store.h"
#include "waybill/layout_template.h"
#include "waybill/print_error.h"
#include "waybill/printing/printer_choice.h"
#include "waybill/printing/printing_job.h"
#include "waybill/template_choice.h"
#include "waybill/template_picture.h"
#include "waybill/windows/layout_view.h"

#include <QCoreApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPrinterInfo>
#include <QResizeEvent>
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

void PrintWindow::addCalibrationCommands(QWidget* panel, QMenuBar* menuBar)
{
    // In the free space left of "左右移动", so that nothing of the window's
    // own design moves; the same commands pop up on a right click.
    auto* menu = new QMenu(this);
    auto add = [&](const char* name, const char16_t* caption) {
        QAction* action = menu->addAction(QString::fromUtf16(caption));
        action->setObjectName(QString::fromLatin1(name));
        panel->addAction(action);
        return action;
    };
    connect(add("saveCalibration", u"保存为此打印机的默认位置"), &QAction::triggered, this,
            &PrintWindow::saveCalibration);
    connect(add("restoreFactoryPositions", u"恢复出厂位置"), &QAction::triggered, this,
            &PrintWindow::restoreFactoryPositions);
    connect(add("printCalibrationPage", u"打印校准页"), &QAction::triggered, this,
            &PrintWindow::printCalibrationPage);
    menu->addSeparator();
    // The printers as the system has them when the menu opens.
    QMenu* printers = menu->addMenu(QStringLiteral(u"选择打印机"));
    printers->setObjectName(QStringLiteral("choosePrinter"));
    connect(printers, &QMenu::aboutToShow, this, [printers] {
        printers->clear();
        const QString inUse = PrinterChoice::inUse();
        for (const QString& name : QPrinterInfo::availablePrinterNames()) {
            QAction* a = printers->addAction(name, [name] { PrinterChoice::remember(name); });
            a->setCheckable(true);
            a->setChecked(name == inUse);
        }
    });
    // The window's own page by default; other forms and labels by choice.
    QMenu* templates = menu->addMenu(QStringLiteral(u"模板"));
    templates->setObjectName(QStringLiteral("chooseTemplate"));
    connect(templates, &QMenu::aboutToShow, this, [this, templates] {
        templates->clear();
        const LayoutTemplate& own = LayoutTemplates::builtIn(m_layout.variant());
        const LayoutTemplate* label =
            LayoutTemplates::builtIn(QStringLiteral("parcel-label-100x150"));
        for (const LayoutTemplate* t : {&own, label}) {
            QAction* a = templates->addAction(t->name, [this, t] { useTemplate(*t); });
            a->setCheckable(true);
            a->setChecked(m_layout.templateName() == t->name);
        }
        if (!m_layout.isBuiltIn()) {
            QAction* a = templates->addAction(m_layout.templateName());
            a->setCheckable(true);
            a->setChecked(true);
        }
        templates->addSeparator();
        templates->addAction(QStringLiteral(u"打开模板文件…"), this,
                             &PrintWindow::openTemplateFile);
    });
    m_alwaysShrink = add("alwaysShrink", u"总是缩小放不下的文字");
    m_alwaysShrink->setCheckable(true);
    connect(m_alwaysShrink, &QAction::triggered, this, &PrintWindow::setAlwaysShrink);
    connect(add("minimumPoints", u"缩小的最小字号…"), &QAction::triggered, this,
            &PrintWindow::askMinimumPoints);
    connect(menu, &QMenu::aboutToShow, this, [this] {
        m_alwaysShrink->setChecked(CalibrationStore().alwaysShrinks(PrinterChoice::inUse()));
    });
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
    // The printer the pages go to, in the menu bar's free end.
    m_printer = new QLabel(menuBar);
    m_printer->setObjectName(QStringLiteral("printerLabel"));
    m_printer->setContentsMargins(0, 0, 8, 0);
    menuBar->setCornerWidget(m_printer, Qt::TopRightCorner);
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
    if (m_calibratedFor) {
        const QString named = QStringLiteral(u"打印机：%1").arg(printerCaption(*m_calibratedFor));
        if (m_printer->text() == named)
            return;
        m_printer->setText(named);
        // A menu bar sizes its corner widget only when it is resized itself:
        // a name set after it was laid out would show as its first letter.
        auto* bar = m_printer->parentWidget();
        QResizeEvent resized(bar->size(), bar->size());
        QCoreApplication::sendEvent(bar, &resized);
    }
}

void PrintWindow::takeStoredCalibration()
{
    const CalibrationStore store;
    // Asking the system for its printers may take a while: not for a
    // window made hidden at start-up while nothing is stored.
    if (!m_calibratedFor && !m_printerChanged && store.isEmpty() && !m_shown) {
        layoutChanged();
        return;
    }
    const QString printer = PrinterChoice::inUse();
    const std::optional<Calibration> stored = store.load(printer, m_layout.calibrationKey());
    // Another printer never inherits the positions of the one before.
    const bool chosen = std::exchange(m_printerChanged, false);
    if (chosen || m_calibratedFor != printer || stored != m_storedApplied) {
        if (stored)
            m_adjustments.apply(*stored);
        else if (chosen || m_calibratedFor || m_storedApplied)
            m_adjustments.restoreFactory();
        m_calibratedFor = printer;
        m_storedApplied = stored;
    }
    layoutChanged();
}

void PrintWindow::printerChosen()
{
    // A window not yet calibrated holds what was set for the printer before.
    if (!m_calibratedFor)
        m_printerChanged = true;
    takeStoredCalibration();
}

void PrintWindow::saveCalibration()
{
    const QString printer = PrinterChoice::inUse();
    runCommand([&] {
        const Calibration now = m_adjustments.calibration();
        CalibrationStore().save(printer, now, m_layout.calibrationKey());
        m_calibratedFor = printer;
        m_storedApplied = now;
        Dialogs::inform(
            this, QStringLiteral(u"已保存为打印机 %1 的默认位置！").arg(printerCaption(printer)));
    });
    noteBoxClosed();
    layoutChanged();
}

void PrintWindow::restoreFactoryPositions()
{
    const QString printer = PrinterChoice::inUse();
    runCommand([&] {
        CalibrationStore().clear(printer, m_layout.calibrationKey());
        m_adjustments.restoreFactory();
        m_calibratedFor = printer;
        m_storedApplied.reset();
    });
    layoutChanged();
}

void PrintWindow::useTemplate(const LayoutTemplate& layoutTemplate)
{
    m_layout = WaybillLayout::fromTemplate(layoutTemplate, m_layout.variant());
    m_view->setTemplatePicture({}, {});
    TemplateChoice::remember(m_layout.variant(), layoutTemplate);
    m_adjustments.restoreFactory();
    // Another form: the printer's calibration for it, or none.
    m_calibratedFor.reset();
    m_storedApplied.reset();
    m_printerChanged = true;
    takeStoredCalibration();
}

std::optional<PrintError> PrintWindow::useTemplateFile(const QString& path, QStringList& warnings)
{
    const LayoutTemplate chosen = LayoutTemplates::read(path, &warnings);
    TemplatePicture::Picture picture;
    std::optional<PrintError> pictureError;
    if (chosen.background) {
        try {
            picture = TemplatePicture::load(chosen);
        } catch (const PrintError& e) {
            pictureError = e;
        }
    }
    useTemplate(chosen);
    if (!picture.image.isNull())
        m_view->setTemplatePicture(picture.image,
                                   TemplatePicture::boxMm(*chosen.background, picture.units));
    return pictureError;
}

void PrintWindow::openTemplateFile()
{
    const QString path = Dialogs::current().openFile(this, QStringLiteral(u"打开模板"),
                                                     QStringLiteral(u"模板 (*.json)"));
    noteBoxClosed();
    if (path.isEmpty())
        return;
    runCommand([&] {
        QStringList warnings;
        const std::optional<PrintError> pictureError = useTemplateFile(path, warnings);
        if (pictureError)
            ErrorReport::show(this, *pictureError, warnings.join(QLatin1Char('\n')));
        else if (!warnings.isEmpty())
            Dialogs::notice(this, warnings.join(QLatin1Char('\n')));
    });
}

void PrintWindow::restoreTemplate()
{
    const QString kept = TemplateChoice::remembered(m_layout.variant());
    if (kept.isEmpty())
        return;
    if (const LayoutTemplate* builtIn = LayoutTemplates::builtIn(kept)) {
        useTemplate(*builtIn);
        return;
    }
    try {
        // Told when the template was chosen; a window being made shows no box.
        QStringList warnings;
        useTemplateFile(kept, warnings);
    } catch (const CommandError&) {
        // Moved or broken since: the window's own page, as before the choice.
        useTemplate(LayoutTemplates::builtIn(m_layout.variant()));
    }
}

void PrintWindow::setAlwaysShrink(bool on)
{
    const QString printer = PrinterChoice::inUse();
    runCommand([&] { CalibrationStore().setAlwaysShrinks(printer, on); });
}

void PrintWindow::askMinimumPoints()
{
    CalibrationStore store;
    const std::optional<QString> text = Dialogs::current().editText(
        this, QStringLiteral(u"缩小的最小字号"),
        QStringLiteral(u"放不下的文字最多缩小到多少磅（如 8 或 7.5）："),
        QString::number(store.minimumPoints()));
    noteBoxClosed();
    if (!text)
        return;
    bool ok = false;
    const double points = text->trimmed().toDouble(&ok);
    runCommand([&] {
        if (!ok || points < 1 || points > 72)
            throw CommandError(QStringLiteral(u"最小字号应为 1 到 72 之间的数字！"));
        store.setMinimumPoints(points);
    });
}

void PrintWindow::printCalibrationPage()
{
    runCommand([this] {
        CalibrationPage page(m_layout);
        PrintJob job(m_store);
        Dialogs::current().preview(this, page, job);
    });
}
