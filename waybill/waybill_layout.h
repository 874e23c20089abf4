#pragma once

#include "waybill/field_placement.h"
#include "waybill/layout_template.h"

#include <QList>
#include <QRect>
#include <QSize>
#include <QSizeF>
#include <memory>
#include <optional>

// One print window, one variant of the SF layout.
enum class WaybillVariant {
    AddressBookSingle, // TSf1Form
    ImportedSingle,    // TEsf1Form
    AddressBookBatch,  // TPlsf1Form
    ImportedBatch,     // TEPlsf1Form
};

QString windowClassName(WaybillVariant variant); // "TSf1Form", ...
// The name a shipper knows it by, from the menus that open it: "单张打印",
// "批量打印", "单张打印（Excel导入）", "批量打印（Excel导入）".
QString windowShownName(WaybillVariant variant);
// The plain name scripts may use instead: "single", "imported-single",
// "batch", "imported-batch".
QString windowAlias(WaybillVariant variant);
// By class name or plain name.
std::optional<WaybillVariant> variantForWindow(const QString& name);
bool isBatch(WaybillVariant variant);

// A page as the print windows change it: paper, picture box and placements,
// from a template (the SF waybill's built-in ones unless another is
// chosen); each print window owns one copy and changes it.
class WaybillLayout {
public:
    static WaybillLayout forWindow(WaybillVariant variant);
    // A template printed in a window's place, with that window's rows.
    static WaybillLayout fromTemplate(const LayoutTemplate& layoutTemplate, WaybillVariant variant);
    // The same layout before any shift or font.
    WaybillLayout atRest() const;

    WaybillVariant variant() const { return m_variant; }
    const QString& templateName() const { return m_template->name; }
    // Printed from a template of the program's own.
    bool isBuiltIn() const { return m_template->builtIn; }
    // The window's own built-in template.
    bool isWindowsOwn() const;
    // What finds the template again: a built-in one's name, a file's whole
    // path; "" for the window's own and for one read from no file.
    QString templateFile() const;
    // Which calibration of a printer it takes: "" for the four SF forms,
    // which print on the same form, else the template's name.
    QString calibrationKey() const;

    // The SF form's paper, of every built-in layout.
    static QSizeF paperSizeMm() { return {216.0, 140.0}; }
    QSizeF paper() const { return m_template->paperMm; }
    static QSize detailSize() { return {816, 529}; } // one record per page
    QRect pictureBox() const { return m_pictureBox; }

    // The order in which shifts and the font visit them.
    const QList<FieldPlacement>& placements() const { return m_placements; }
    // The order in which they are drawn; later boxes cover earlier text.
    QList<const FieldPlacement*> drawingOrder() const;
    const FieldPlacement* placement(const QString& controlName) const;

    void shiftLeft(int px); // positive moves right
    void shiftTop(int px);  // positive moves down
    // A copy of `font` on every placement, in placement order.
    void setFont(const QFont& font);
    // `font` on one placement only.
    void setFont(const QString& controlName, const QFont& font);

private:
    WaybillLayout(WaybillVariant variant, std::shared_ptr<const LayoutTemplate> from);
    static WaybillLayout fromTemplate(std::shared_ptr<const LayoutTemplate> shared,
                                      WaybillVariant variant);
    void setRooms();

    WaybillVariant m_variant;
    std::shared_ptr<const LayoutTemplate> m_template;
    QRect m_pictureBox;
    QList<FieldPlacement> m_placements;
    QList<int> m_drawingOrder; // indexes into m_placements
};
