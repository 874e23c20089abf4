#pragma once

#include "waybill/page_renderer.h"
#include "waybill/template_document.h"

#include <QMainWindow>
#include <functional>

class QAction;
class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QFontComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QScrollArea;
class QSpinBox;
class TemplateCanvas;

// "模板设计": lays out a template over the picture of the blank form and
// keeps it in a file the print windows and the command line print.
class StoreSession;

class TemplateDesigner : public QMainWindow {
    Q_OBJECT
public:
    // A sample printed to a file is never written over `store`'s database.
    explicit TemplateDesigner(const StoreSession& store, QWidget* parent = nullptr);
    ~TemplateDesigner() override;

    TemplateDocument& document() { return m_document; }
    TemplateCanvas& canvas() { return *m_canvas; }
    // The record the page is drawn with unless a sample text is typed:
    // the main window's current recipient.
    void setCurrentRecord(FieldReader record);

public slots:
    void newFromPaper();
    void newFromPicture();
    void openTemplate();
    void copyBuiltIn();
    bool save();
    bool saveAs();
    void importItems();
    void exportTemplate();
    void addField(); // the field chosen in the list
    void addText();
    void addBarcode();
    void addQrCode();
    void copyItems();
    void pasteItems();
    void deleteItems();
    void zoomIn();
    void zoomOut();
    // The page with the sample record, through the preview to a printer or PDF.
    void printSample();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    QWidget* buildFields();
    QWidget* buildProperties();
    void documentChanged();
    void showProperties();
    void applyProperties();
    void applyPaper();
    void loadPicture();
    FieldReader sample() const;
    void updateSample();
    void updateTitle();
    bool keepChanges(); // false: the user cancelled
    int addItem(TemplateItem item);
    void useScale(double dpi, const QString& picture, const QSizeF& units, int page = 1);

    const StoreSession& m_store;
    TemplateDocument m_document;
    TemplateCanvas* m_canvas = nullptr;
    QScrollArea* m_scroll = nullptr;
    QListWidget* m_fields = nullptr;
    QLineEdit* m_sampleText = nullptr;
    QLabel* m_warningLabel = nullptr;
    FieldReader m_currentRecord;
    bool m_showing = false; // the panel is being filled, not edited

    QLineEdit* m_name = nullptr;
    QDoubleSpinBox* m_paperWidth = nullptr;
    QDoubleSpinBox* m_paperHeight = nullptr;
    QDoubleSpinBox* m_x = nullptr;
    QDoubleSpinBox* m_y = nullptr;
    QDoubleSpinBox* m_width = nullptr;
    QDoubleSpinBox* m_height = nullptr;
    QLineEdit* m_text = nullptr;
    QFontComboBox* m_font = nullptr;
    QDoubleSpinBox* m_size = nullptr;
    QComboBox* m_wrap = nullptr;
    QSpinBox* m_wrapWidth = nullptr;
    QComboBox* m_align = nullptr;
    QComboBox* m_symbology = nullptr;
    QCheckBox* m_readable = nullptr;
    QWidget* m_itemPanel = nullptr;
    // The picture being scaled by two points, until they are picked.
    QString m_pendingPicture;
    QString m_pictureFile; // the picture shown, and its page
    QSizeF m_pendingPixels;
};
