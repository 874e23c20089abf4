#include "waybill/windows/template_designer.h"

#include "store/program_files.h"
#include "store/schema.h"
#include "ui/dialogs.h"
#include "ui/error_report.h"
#include "waybill/page_warnings.h"
#include "waybill/print_error.h"
#include "waybill/printing/printing_job.h"
#include "waybill/sample_page.h"
#include "waybill/template_picture.h"
#include "waybill/units.h"
#include "waybill/windows/template_canvas.h"

#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDockWidget>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QFontComboBox>
#include <QFormLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMimeData>
#include <QRegularExpression>
#include <QScrollArea>
#include <QSpinBox>
#include <QStatusBar>
#include <QVBoxLayout>
#include <optional>

namespace {

const QString title = QStringLiteral(u"模板设计");
const QString filter = QStringLiteral(u"模板 (*.json);;所有文件 (*)");

// The papers shops print on, and the SF form's.
struct Paper {
    const char16_t* caption;
    QSizeF mm;
};
const Paper papers[] = {{u"100 × 150 毫米", {100, 150}},
                        {u"100 × 100 毫米", {100, 100}},
                        {u"76 × 130 毫米", {76, 130}},
                        {u"216 × 140 毫米", {216, 140}},
                        {u"A5", {148, 210}},
                        {u"A4", {210, 297}}};

QDoubleSpinBox* millimetres(QWidget* parent, const char* name, double from = 0)
{
    auto* box = new QDoubleSpinBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setRange(from, 10000);
    box->setDecimals(2);
    box->setSingleStep(0.1);
    box->setSuffix(QStringLiteral(u" 毫米"));
    box->setKeyboardTracking(false);
    return box;
}

QComboBox* choices(QWidget* parent, const char* name, const QStringList& captions)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->addItems(captions);
    return box;
}

std::optional<double> positiveNumber(const QString& text)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    return ok && value > 0 && value <= 10000 ? std::optional(value) : std::nullopt;
}

} // namespace

TemplateDesigner::TemplateDesigner(const StoreSession& store, QWidget* parent)
    : QMainWindow(parent), m_store(store)
{
    setObjectName(QStringLiteral("TemplateDesigner"));
    setWindowTitle(title);
    resize(1100, 760);
    m_canvas = new TemplateCanvas(m_document);
    m_canvas->setObjectName(QStringLiteral("DesignerCanvas"));
    m_scroll = new QScrollArea(this);
    m_scroll->setWidget(m_canvas);
    m_scroll->setWidgetResizable(false);
    setCentralWidget(m_scroll);

    auto* fields = new QDockWidget(QStringLiteral(u"字段"), this);
    fields->setObjectName(QStringLiteral("FieldsDock"));
    fields->setFeatures(QDockWidget::NoDockWidgetFeatures);
    fields->setWidget(buildFields());
    addDockWidget(Qt::LeftDockWidgetArea, fields);
    auto* properties = new QDockWidget(QStringLiteral(u"属性"), this);
    properties->setObjectName(QStringLiteral("PropertiesDock"));
    properties->setFeatures(QDockWidget::NoDockWidgetFeatures);
    properties->setWidget(buildProperties());
    addDockWidget(Qt::RightDockWidgetArea, properties);

    m_warningLabel = new QLabel(this);
    m_warningLabel->setObjectName(QStringLiteral("DesignerWarnings"));
    m_warningLabel->setStyleSheet(QStringLiteral("color: red"));
    statusBar()->addWidget(m_warningLabel, 1);
    buildMenus();

    connect(m_canvas, &TemplateCanvas::selectionChanged, this, &TemplateDesigner::showProperties);
    connect(m_canvas, &TemplateCanvas::pointsPicked, this, [this](QPointF a, QPointF b) {
        const std::optional<QString> typed = Dialogs::current().editText(
            this, title, QStringLiteral(u"两点之间的实际距离（毫米）："), QString());
        if (!typed)
            return;
        const std::optional<double> mm = positiveNumber(*typed);
        // Picked on the picture shown at 96 pixels an inch.
        const double shown = Pixels::perInch / 25.4;
        const double dpi = mm ? TemplatePicture::dpiFromTwoPoints(a * shown, b * shown, *mm) : 0;
        if (dpi <= 0) {
            Dialogs::notice(this, QStringLiteral(u"距离应为大于 0 的毫米数，两点也不能重合"));
            return;
        }
        useScale(dpi, m_pendingPicture, m_pendingPixels);
    });
    connect(&m_document.undoStack(), &QUndoStack::cleanChanged, this,
            &TemplateDesigner::updateTitle);
    m_document.onChanged([this] { documentChanged(); });
    documentChanged();
}

TemplateDesigner::~TemplateDesigner()
{
    m_document.onChanged({});
}

QWidget* TemplateDesigner::buildFields()
{
    auto* panel = new QWidget(this);
    auto* layout = new QVBoxLayout(panel);
    m_fields = new QListWidget(panel);
    m_fields->setObjectName(QStringLiteral("FieldList"));
    const auto list = [this](RecordRole role, const QStringList& columns, const QString& who) {
        for (const QString& column : columns) {
            auto* entry = new QListWidgetItem(who + column, m_fields);
            entry->setData(Qt::UserRole, int(role));
            entry->setData(Qt::UserRole + 1, column);
        }
    };
    list(RecordRole::Recipient, Schema::recipientColumns(), QStringLiteral(u"收件人："));
    list(RecordRole::Sender, Schema::senderColumns(), QStringLiteral(u"寄件人："));
    connect(m_fields, &QListWidget::itemDoubleClicked, this, &TemplateDesigner::addField);
    layout->addWidget(m_fields, 1);
    layout->addWidget(new QLabel(QStringLiteral(u"示例文字（空：当前收件人）"), panel));
    m_sampleText = new QLineEdit(panel);
    m_sampleText->setObjectName(QStringLiteral("SampleText"));
    connect(m_sampleText, &QLineEdit::textChanged, this, &TemplateDesigner::updateSample);
    layout->addWidget(m_sampleText);
    return panel;
}

QWidget* TemplateDesigner::buildProperties()
{
    auto* panel = new QWidget(this);
    auto* outer = new QVBoxLayout(panel);
    auto* page = new QFormLayout;
    m_name = new QLineEdit(panel);
    m_name->setObjectName(QStringLiteral("TemplateName"));
    m_paperWidth = millimetres(panel, "PaperWidth", 1);
    m_paperHeight = millimetres(panel, "PaperHeight", 1);
    page->addRow(QStringLiteral(u"名称"), m_name);
    page->addRow(QStringLiteral(u"纸宽"), m_paperWidth);
    page->addRow(QStringLiteral(u"纸高"), m_paperHeight);
    outer->addLayout(page);
    connect(m_name, &QLineEdit::editingFinished, this, &TemplateDesigner::applyPaper);
    for (QDoubleSpinBox* box : {m_paperWidth, m_paperHeight})
        connect(box, &QDoubleSpinBox::valueChanged, this, &TemplateDesigner::applyPaper);

    m_itemPanel = new QWidget(panel);
    auto* item = new QFormLayout(m_itemPanel);
    item->setContentsMargins(0, 0, 0, 0);
    m_x = millimetres(m_itemPanel, "ItemX");
    m_y = millimetres(m_itemPanel, "ItemY");
    m_width = millimetres(m_itemPanel, "ItemWidth");
    m_height = millimetres(m_itemPanel, "ItemHeight");
    m_text = new QLineEdit(m_itemPanel);
    m_text->setObjectName(QStringLiteral("ItemText"));
    m_font = new QFontComboBox(m_itemPanel);
    m_font->setObjectName(QStringLiteral("ItemFont"));
    m_font->setEditable(true);
    m_size = new QDoubleSpinBox(m_itemPanel);
    m_size->setObjectName(QStringLiteral("ItemSize"));
    m_size->setRange(1, 500);
    m_size->setSingleStep(0.5);
    m_size->setSuffix(QStringLiteral(" pt"));
    m_size->setKeyboardTracking(false);
    m_wrap = choices(
        m_itemPanel, "ItemWrap",
        {QStringLiteral(u"不换行"), QStringLiteral(u"按字数"), QStringLiteral(u"按字节（GB）")});
    m_wrapWidth = new QSpinBox(m_itemPanel);
    m_wrapWidth->setObjectName(QStringLiteral("ItemWrapWidth"));
    m_wrapWidth->setRange(1, 10000);
    m_wrapWidth->setKeyboardTracking(false);
    m_align = choices(m_itemPanel, "ItemAlign",
                      {QStringLiteral(u"左"), QStringLiteral(u"中"), QStringLiteral(u"右")});
    m_symbology = choices(m_itemPanel, "ItemSymbology",
                          {QStringLiteral("Code 128"), QStringLiteral(u"QR 二维码")});
    m_readable = new QCheckBox(QStringLiteral(u"条码下印出文字"), m_itemPanel);
    m_readable->setObjectName(QStringLiteral("ItemReadable"));
    item->addRow(QStringLiteral("X"), m_x);
    item->addRow(QStringLiteral("Y"), m_y);
    item->addRow(QStringLiteral(u"宽"), m_width);
    item->addRow(QStringLiteral(u"高"), m_height);
    item->addRow(QStringLiteral(u"文字"), m_text);
    item->addRow(QStringLiteral(u"字体"), m_font);
    item->addRow(QStringLiteral(u"字号"), m_size);
    item->addRow(QStringLiteral(u"换行"), m_wrap);
    item->addRow(QStringLiteral(u"每行"), m_wrapWidth);
    item->addRow(QStringLiteral(u"对齐"), m_align);
    item->addRow(QStringLiteral(u"条码"), m_symbology);
    item->addRow(m_readable);
    outer->addWidget(m_itemPanel);
    outer->addStretch(1);

    for (QDoubleSpinBox* box : {m_x, m_y, m_width, m_height, m_size})
        connect(box, &QDoubleSpinBox::valueChanged, this, &TemplateDesigner::applyProperties);
    connect(m_wrapWidth, &QSpinBox::valueChanged, this, &TemplateDesigner::applyProperties);
    connect(m_text, &QLineEdit::editingFinished, this, &TemplateDesigner::applyProperties);
    connect(m_font, &QFontComboBox::currentFontChanged, this, &TemplateDesigner::applyProperties);
    for (QComboBox* box : {m_wrap, m_align, m_symbology})
        connect(box, &QComboBox::currentIndexChanged, this, &TemplateDesigner::applyProperties);
    connect(m_readable, &QCheckBox::toggled, this, &TemplateDesigner::applyProperties);
    return panel;
}

void TemplateDesigner::buildMenus()
{
    QMenuBar* bar = menuBar();
    const auto item = [this](QMenu* menu, const char* name, const char16_t* caption,
                             void (TemplateDesigner::*handler)(), QKeySequence keys = {}) {
        auto* action = new QAction(QString::fromUtf16(caption), menu);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(keys);
        connect(action, &QAction::triggered, this, handler);
        menu->addAction(action);
        return action;
    };
    QMenu* file = bar->addMenu(QStringLiteral(u"文件"));
    item(file, "DesignerNew", u"新建…", &TemplateDesigner::newFromPaper, QKeySequence::New);
    item(file, "DesignerNewFromPicture", u"从扫描图新建…", &TemplateDesigner::newFromPicture);
    item(file, "DesignerCopyBuiltIn", u"复制内置模板…", &TemplateDesigner::copyBuiltIn);
    item(file, "DesignerOpen", u"打开…", &TemplateDesigner::openTemplate, QKeySequence::Open);
    file->addSeparator();
    auto* saveAction = new QAction(QStringLiteral(u"保存"), file);
    saveAction->setObjectName(QStringLiteral("DesignerSave"));
    saveAction->setShortcut(QKeySequence::Save);
    connect(saveAction, &QAction::triggered, this, &TemplateDesigner::save);
    file->addAction(saveAction);
    auto* saveAsAction = new QAction(QStringLiteral(u"另存为…"), file);
    saveAsAction->setObjectName(QStringLiteral("DesignerSaveAs"));
    connect(saveAsAction, &QAction::triggered, this, &TemplateDesigner::saveAs);
    file->addAction(saveAsAction);
    file->addSeparator();
    item(file, "DesignerPrint", u"打印…", &TemplateDesigner::printSample, QKeySequence::Print);
    file->addSeparator();
    item(file, "DesignerImport", u"导入…", &TemplateDesigner::importItems);
    item(file, "DesignerExport", u"导出…", &TemplateDesigner::exportTemplate);
    file->addSeparator();
    auto* closeAction = file->addAction(QStringLiteral(u"关闭"), this, &QWidget::close);
    closeAction->setObjectName(QStringLiteral("DesignerClose"));

    QMenu* edit = bar->addMenu(QStringLiteral(u"编辑"));
    QAction* undo = m_document.undoStack().createUndoAction(this, QStringLiteral(u"撤销"));
    undo->setObjectName(QStringLiteral("DesignerUndo"));
    undo->setShortcut(QKeySequence::Undo);
    QAction* redo = m_document.undoStack().createRedoAction(this, QStringLiteral(u"重做"));
    redo->setObjectName(QStringLiteral("DesignerRedo"));
    redo->setShortcut(QKeySequence::Redo);
    edit->addAction(undo);
    edit->addAction(redo);
    edit->addSeparator();
    item(edit, "DesignerCopy", u"复制", &TemplateDesigner::copyItems, QKeySequence::Copy);
    item(edit, "DesignerPaste", u"粘贴", &TemplateDesigner::pasteItems, QKeySequence::Paste);
    item(edit, "DesignerDelete", u"删除", &TemplateDesigner::deleteItems, QKeySequence::Delete);

    QMenu* add = bar->addMenu(QStringLiteral(u"添加"));
    item(add, "DesignerAddField", u"所选字段", &TemplateDesigner::addField);
    item(add, "DesignerAddText", u"文字…", &TemplateDesigner::addText);
    item(add, "DesignerAddBarcode", u"条码（Code 128）", &TemplateDesigner::addBarcode);
    item(add, "DesignerAddQr", u"二维码（QR）", &TemplateDesigner::addQrCode);

    QMenu* view = bar->addMenu(QStringLiteral(u"查看"));
    item(view, "DesignerZoomIn", u"放大", &TemplateDesigner::zoomIn, QKeySequence::ZoomIn);
    item(view, "DesignerZoomOut", u"缩小", &TemplateDesigner::zoomOut, QKeySequence::ZoomOut);
}

void TemplateDesigner::setCurrentRecord(FieldReader record)
{
    m_currentRecord = std::move(record);
    updateSample();
}

FieldReader TemplateDesigner::sample() const
{
    const QString typed = m_sampleText->text();
    if (!typed.isEmpty())
        return [typed](RecordRole, const QString&) { return typed; };
    // A column the record leaves empty shows its name, to place it by.
    return [record = m_currentRecord](RecordRole role, const QString& column) {
        const QString value = record ? record(role, column) : QString();
        return value.isEmpty() ? column : value;
    };
}

void TemplateDesigner::updateSample()
{
    m_canvas->setSample(sample());
    m_warningLabel->setText(PageWarnings::pageText(m_canvas->warnings()));
}

void TemplateDesigner::printSample()
{
    SamplePage page(m_document.layout(), sample());
    PrintJob job(m_store);
    job.setLogging(false);
    Dialogs::current().preview(this, page, job);
}

void TemplateDesigner::documentChanged()
{
    loadPicture();
    m_canvas->refresh();
    m_warningLabel->setText(PageWarnings::pageText(m_canvas->warnings()));
    showProperties();
    updateTitle();
}

void TemplateDesigner::loadPicture()
{
    const LayoutTemplate& t = m_document.layout();
    const QString file = t.background ? TemplatePicture::pathOf(t) : QString();
    const QString shown =
        file.isEmpty() ? file : QStringLiteral("%1#%2").arg(file).arg(t.background->page);
    if (shown == m_pictureFile)
        return;
    m_pictureFile = shown;
    m_canvas->setPicture({}, {});
    if (file.isEmpty())
        return;
    ErrorReport::run(this, [&] {
        // Kept no finer than the screen needs at the largest zoom.
        constexpr int finest = 4096;
        const TemplatePicture::Picture picture = TemplatePicture::load(t);
        const QImage& image = picture.image;
        m_canvas->setPicture(
            image.width() > finest || image.height() > finest
                ? image.scaled(finest, finest, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                : image,
            picture.units);
    });
}

void TemplateDesigner::updateTitle()
{
    const QString file = m_document.path().isEmpty() ? QStringLiteral(u"未保存")
                                                     : QFileInfo(m_document.path()).fileName();
    setWindowTitle(
        QStringLiteral("%1 - %2%3")
            .arg(title, file, m_document.isModified() ? QStringLiteral(" *") : QString()));
}

void TemplateDesigner::showProperties()
{
    m_showing = true;
    const LayoutTemplate& t = m_document.layout();
    m_name->setText(t.name);
    m_paperWidth->setValue(t.paperMm.width());
    m_paperHeight->setValue(t.paperMm.height());
    const QList<int>& selected = m_canvas->selection();
    m_itemPanel->setEnabled(selected.size() == 1);
    if (selected.size() == 1) {
        const TemplateItem& item = t.items.at(selected.first());
        m_x->setValue(item.boxMm.x());
        m_y->setValue(item.boxMm.y());
        m_width->setValue(item.boxMm.width());
        m_height->setValue(item.boxMm.height());
        m_text->setText(item.text);
        m_text->setEnabled(item.column.isEmpty());
        m_font->setCurrentFont(QFont(item.font));
        m_font->setEditText(item.font);
        m_size->setValue(item.sizePt);
        m_wrap->setCurrentIndex(int(item.wrap));
        m_wrapWidth->setValue(std::max(item.wrapWidth, 1));
        m_wrapWidth->setEnabled(item.wrap != TemplateItem::Wrap::None);
        m_align->setCurrentIndex(item.align & Qt::AlignHCenter ? 1
                                 : item.align & Qt::AlignRight ? 2
                                                               : 0);
        const bool barcode = item.kind == TemplateItem::Kind::Barcode;
        m_symbology->setEnabled(barcode);
        m_readable->setEnabled(barcode);
        m_symbology->setCurrentIndex(item.symbology == Symbology::Qr ? 1 : 0);
        m_readable->setChecked(item.humanReadable);
    }
    m_showing = false;
}

void TemplateDesigner::applyProperties()
{
    const QList<int>& selected = m_canvas->selection();
    if (m_showing || selected.size() != 1)
        return;
    const int index = selected.first();
    TemplateItem item = m_document.layout().items.at(index);
    item.boxMm = QRectF(m_x->value(), m_y->value(), m_width->value(), m_height->value());
    if (item.column.isEmpty())
        item.text = m_text->text();
    item.font = m_font->currentText();
    item.sizePt = m_size->value();
    item.wrap = TemplateItem::Wrap(m_wrap->currentIndex());
    // The byte rule's width holds the two bytes of the break.
    item.wrapWidth = item.wrap == TemplateItem::Wrap::None      ? 0
                     : item.wrap == TemplateItem::Wrap::GbBytes ? std::max(m_wrapWidth->value(), 3)
                                                                : m_wrapWidth->value();
    item.align = QList<Qt::Alignment>{Qt::AlignLeft, Qt::AlignHCenter,
                                      Qt::AlignRight}[m_align->currentIndex()];
    item.symbology = m_symbology->currentIndex() == 1 ? Symbology::Qr : Symbology::Code128;
    item.humanReadable = m_readable->isChecked();
    m_document.setItem(index, item, QStringLiteral(u"属性"));
}

void TemplateDesigner::applyPaper()
{
    if (m_showing)
        return;
    LayoutTemplate after = m_document.layout();
    after.name = m_name->text();
    after.paperMm = QSizeF(m_paperWidth->value(), m_paperHeight->value());
    m_document.change(after, QStringLiteral(u"纸张"));
}

bool TemplateDesigner::keepChanges()
{
    if (!m_document.isModified())
        return true;
    switch (Dialogs::current().choose(
        this, title, QStringLiteral(u"模板已修改，是否保存？"),
        {QStringLiteral(u"保存"), QStringLiteral(u"不保存"), QStringLiteral(u"取消")}, 0)) {
    case 0:
        return save();
    case 1:
        return true;
    default:
        return false;
    }
}

void TemplateDesigner::showEvent(QShowEvent* event)
{
    // The main window's current recipient may be another one by now.
    updateSample();
    QMainWindow::showEvent(event);
}

void TemplateDesigner::closeEvent(QCloseEvent* event)
{
    if (keepChanges())
        event->accept();
    else
        event->ignore();
}

void TemplateDesigner::newFromPaper()
{
    if (!keepChanges())
        return;
    QStringList buttons;
    for (const Paper& paper : papers)
        buttons << QString::fromUtf16(paper.caption);
    buttons << QStringLiteral(u"其他尺寸…") << QStringLiteral(u"取消");
    const int chosen =
        Dialogs::current().choose(this, title, QStringLiteral(u"新模板的纸张："), buttons, 0);
    QSizeF paper;
    if (chosen < int(std::size(papers))) {
        paper = papers[chosen].mm;
    } else if (chosen == int(std::size(papers))) {
        const std::optional<QString> typed = Dialogs::current().editText(
            this, title, QStringLiteral(u"纸张的宽和高（毫米），如 100 × 150："), QString());
        if (!typed)
            return;
        const QStringList parts =
            typed->split(QRegularExpression(QStringLiteral(u"[^0-9.]+")), Qt::SkipEmptyParts);
        const auto width = parts.size() == 2 ? positiveNumber(parts.at(0)) : std::nullopt;
        const auto height = parts.size() == 2 ? positiveNumber(parts.at(1)) : std::nullopt;
        if (!width || !height) {
            Dialogs::notice(this, QStringLiteral(u"请输入两个毫米数：宽和高，如 100 × 150"));
            return;
        }
        paper = QSizeF(*width, *height);
    } else {
        return;
    }
    m_document.reset(TemplateDocument::blank(paper));
}

void TemplateDesigner::newFromPicture()
{
    if (!keepChanges())
        return;
    const QString file = Dialogs::current().openFile(
        this, QStringLiteral(u"选择空白单据的扫描图"),
        QStringLiteral(u"图片 (*.png *.jpg *.jpeg *.bmp *.pdf);;所有文件 (*)"));
    if (file.isEmpty())
        return;
    TemplatePicture::Picture picture;
    if (!ErrorReport::run(this, [&] { picture = TemplatePicture::load(file); }))
        return;
    // A PDF page knows its own size; of several, the user says which.
    if (TemplateBackground::isPdf(file)) {
        int page = 1;
        if (picture.pages > 1) {
            const std::optional<QString> typed = Dialogs::current().editText(
                this, title, QStringLiteral(u"用第几页（共 %1 页）：").arg(picture.pages),
                QStringLiteral("1"));
            if (!typed)
                return;
            bool number = false;
            page = typed->trimmed().toInt(&number);
            if (!number || page < 1 || page > picture.pages) {
                Dialogs::notice(this,
                                QStringLiteral(u"页码应为 1 到 %1 之间的整数").arg(picture.pages));
                return;
            }
            if (page > 1 &&
                !ErrorReport::run(this, [&] { picture = TemplatePicture::load(file, page); }))
                return;
        }
        useScale(72, QFileInfo(file).absoluteFilePath(), picture.units, page);
        return;
    }
    const int how = Dialogs::current().choose(
        this, title, QStringLiteral(u"扫描图的比例："),
        {QStringLiteral(u"按扫描分辨率"), QStringLiteral(u"按两点距离"), QStringLiteral(u"取消")},
        0);
    if (how == 0) {
        const std::optional<QString> typed = Dialogs::current().editText(
            this, title, QStringLiteral(u"扫描分辨率（dpi）："), QStringLiteral("300"));
        if (!typed)
            return;
        const std::optional<double> dpi = positiveNumber(*typed);
        if (!dpi) {
            Dialogs::notice(this, QStringLiteral(u"分辨率应为大于 0 的数"));
            return;
        }
        useScale(*dpi, QFileInfo(file).absoluteFilePath(), picture.units);
    } else if (how == 1) {
        // Shown at 96 an inch until the two points give the scale.
        m_pendingPicture = QFileInfo(file).absoluteFilePath();
        m_pendingPixels = picture.units;
        useScale(Pixels::perInch, m_pendingPicture, m_pendingPixels);
        m_canvas->pickPoints();
        statusBar()->showMessage(QStringLiteral(u"请在图上先后点两个点，再输入它们之间的实际距离"));
    }
}

void TemplateDesigner::useScale(double dpi, const QString& picture, const QSizeF& units, int page)
{
    const QSizeF mm = units * 25.4 / dpi;
    LayoutTemplate t = TemplateDocument::blank(
        QSizeF(std::round(mm.width() * 10) / 10, std::round(mm.height() * 10) / 10));
    t.background = TemplateBackground{picture, QRectF(QPointF(), mm), dpi, page};
    if (t.background->isPdf())
        t.background->dpi = 0;
    m_pictureFile.clear();
    m_document.reset(t);
    statusBar()->clearMessage();
}

void TemplateDesigner::openTemplate()
{
    if (!keepChanges())
        return;
    const QString file = Dialogs::current().openFile(this, QStringLiteral(u"打开模板"), filter);
    if (file.isEmpty())
        return;
    QStringList warnings;
    if (ErrorReport::run(this, [&] { m_document.open(file, &warnings); }) && !warnings.isEmpty())
        Dialogs::current().message(this, title, warnings.join(QLatin1Char('\n')),
                                   Dialogs::Icon::Warning);
}

void TemplateDesigner::copyBuiltIn()
{
    if (!keepChanges())
        return;
    const QStringList names = LayoutTemplates::builtInNames();
    QStringList buttons;
    for (const QString& name : names)
        buttons << LayoutTemplates::builtIn(name)->name;
    buttons << QStringLiteral(u"取消");
    const int chosen =
        Dialogs::current().choose(this, title, QStringLiteral(u"复制哪一个内置模板："), buttons, 0);
    if (chosen >= names.size())
        return;
    LayoutTemplate copy = *LayoutTemplates::builtIn(names.at(chosen));
    copy.source.clear();
    copy.name += QStringLiteral(u"（副本）");
    // The built-in picture is the program's, found where it is installed.
    if (copy.background) {
        const QString picture = ProgramFiles::find(copy.background->file);
        if (picture.isEmpty())
            copy.background.reset();
        else
            copy.background->file = picture;
    }
    m_pictureFile.clear();
    m_document.reset(copy);
}

bool TemplateDesigner::save()
{
    if (m_document.path().isEmpty())
        return saveAs();
    return ErrorReport::run(this, [this] { m_document.save(m_document.path()); });
}

static QString withSuffix(QString file)
{
    if (!file.isEmpty() && QFileInfo(file).suffix().isEmpty())
        file += QStringLiteral(".json");
    return file;
}

bool TemplateDesigner::saveAs()
{
    const QString file =
        withSuffix(Dialogs::current().saveFile(this, QStringLiteral(u"模板另存为"), filter));
    if (file.isEmpty())
        return false;
    return ErrorReport::run(this, [&] { m_document.save(file); });
}

void TemplateDesigner::exportTemplate()
{
    const QString file =
        withSuffix(Dialogs::current().saveFile(this, QStringLiteral(u"导出模板"), filter));
    if (!file.isEmpty())
        ErrorReport::run(this, [&] { m_document.exportTo(file); });
}

void TemplateDesigner::importItems()
{
    const QString file =
        Dialogs::current().openFile(this, QStringLiteral(u"导入另一个模板的项目"), filter);
    if (file.isEmpty())
        return;
    QStringList warnings;
    QList<int> added;
    if (!ErrorReport::run(this, [&] { added = m_document.import(file, &warnings); }))
        return;
    m_canvas->select(added);
    if (!warnings.isEmpty())
        Dialogs::current().message(this, title, warnings.join(QLatin1Char('\n')),
                                   Dialogs::Icon::Warning);
}

int TemplateDesigner::addItem(TemplateItem item)
{
    // Each new one a little below the last, so that none hides another.
    const double step = 7.0 * (m_document.layout().items.size() % 10);
    item.boxMm.moveTopLeft(QPointF(5, 5 + step));
    const int index = m_document.add(item);
    m_canvas->select({index});
    m_canvas->setFocus();
    return index;
}

void TemplateDesigner::addField()
{
    const QListWidgetItem* chosen = m_fields->currentItem();
    if (!chosen) {
        Dialogs::notice(this, QStringLiteral(u"请先在左边的列表中选择一个字段"));
        return;
    }
    TemplateItem item;
    item.kind = TemplateItem::Kind::Field;
    item.role = RecordRole(chosen->data(Qt::UserRole).toInt());
    item.column = chosen->data(Qt::UserRole + 1).toString();
    item.boxMm = QRectF(0, 0, 40, 6);
    item.font = QStringLiteral(u"宋体");
    addItem(item);
}

void TemplateDesigner::addText()
{
    const std::optional<QString> typed =
        Dialogs::current().editText(this, title, QStringLiteral(u"要印的文字："), QString());
    if (!typed || typed->isEmpty())
        return;
    TemplateItem item;
    item.kind = TemplateItem::Kind::Text;
    item.text = *typed;
    item.boxMm = QRectF(0, 0, 40, 6);
    item.font = QStringLiteral(u"宋体");
    addItem(item);
}

namespace {

// A new code of the recipient's mobile, the value a parcel label most
// often carries; the properties panel changes it.
TemplateItem mobileCode(Symbology symbology, const QRectF& boxMm)
{
    TemplateItem item;
    item.kind = TemplateItem::Kind::Barcode;
    item.symbology = symbology;
    item.role = RecordRole::Recipient;
    item.column = QStringLiteral(u"手机号码");
    item.boxMm = boxMm;
    item.font = QStringLiteral(u"宋体");
    return item;
}

} // namespace

void TemplateDesigner::addBarcode()
{
    TemplateItem item = mobileCode(Symbology::Code128, QRectF(0, 0, 50, 12));
    item.humanReadable = true;
    item.sizePt = 9;
    addItem(item);
}

void TemplateDesigner::addQrCode()
{
    addItem(mobileCode(Symbology::Qr, QRectF(0, 0, 20, 20)));
}

void TemplateDesigner::copyItems()
{
    if (m_canvas->selection().isEmpty())
        return;
    auto* mime = new QMimeData;
    const QByteArray bytes = m_document.copy(m_canvas->selection());
    mime->setData(TemplateDocument::clipboardType(), bytes);
    mime->setText(QString::fromUtf8(bytes));
    QGuiApplication::clipboard()->setMimeData(mime);
}

void TemplateDesigner::pasteItems()
{
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    if (!mime)
        return;
    const QByteArray bytes = mime->hasFormat(TemplateDocument::clipboardType())
                                 ? mime->data(TemplateDocument::clipboardType())
                                 : mime->text().toUtf8();
    QList<int> added;
    if (ErrorReport::run(this, [&] { added = m_document.paste(bytes); }))
        m_canvas->select(added);
}

void TemplateDesigner::deleteItems()
{
    m_document.remove(m_canvas->selection());
}

void TemplateDesigner::zoomIn()
{
    m_canvas->setZoom(m_canvas->zoom() * 1.25);
}

void TemplateDesigner::zoomOut()
{
    m_canvas->setZoom(m_canvas->zoom() / 1.25);
}
