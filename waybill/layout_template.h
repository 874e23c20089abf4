#pragma once

#include "waybill/barcode.h"
#include "waybill/field_placement.h"

#include <QList>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <optional>

enum class WaybillVariant;

// One thing a template puts on the page, in millimetres from the paper's
// top-left corner.
struct TemplateItem {
    enum class Kind { Field, Text, Barcode };
    enum class Wrap { None, Characters, GbBytes };

    Kind kind = Kind::Field;
    QString id; // the name the print windows know it by, e.g. "QRDBText1"
    RecordRole role = RecordRole::Recipient;
    QString column; // a field's, or a barcode's value
    QString text;   // a text item's, or a barcode's fixed value
    QRectF boxMm;
    QString font;
    double sizePt = 12;
    Wrap wrap = Wrap::None;
    int wrapWidth = 0; // bytes for GbBytes (CR LF included), characters for Characters
    Qt::Alignment align = Qt::AlignLeft;
    QString formBox; // a box of the built-in blank form whose ruled lines it must not cross
    Symbology symbology = Symbology::Code128;
    bool humanReadable = false;

    bool operator==(const TemplateItem&) const = default;
};

// A picture of the blank form, shown behind the items and never printed.
struct TemplateBackground {
    QString file; // as the template names it: relative to the template's folder
    QRectF boxMm; // where it lies; its size from `dpi` (a PDF page: its own) unless given
    double dpi = 0;
    int page = 1; // of a PDF scan, from 1

    // A PDF scan's page rather than an image, told by the file's name.
    static bool isPdf(const QString& file)
    {
        return file.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive);
    }
    bool isPdf() const { return isPdf(file); }

    bool operator==(const TemplateBackground&) const = default;
};

// A page as data: the paper, the picture behind it and what prints where.
struct LayoutTemplate {
    QString name;
    QString source; // the file it was read from, for messages
    bool builtIn = false;
    QSizeF paperMm;
    std::optional<TemplateBackground> background;
    QList<TemplateItem> items;  // in drawing order: later boxes cover earlier text
    QStringList placementOrder; // ids, the order shifts and fonts visit; empty: drawing order

    // As a file holds it: `source` and `builtIn` are where it came from.
    bool operator==(const LayoutTemplate& o) const
    {
        return name == o.name && paperMm == o.paperMm && background == o.background &&
               items == o.items && placementOrder == o.placementOrder;
    }
};

namespace LayoutTemplates {

inline constexpr int format = 1;

// Reads a template file. Throws PrintError, naming the file and the item,
// when it is no template this program can print; what prints but may not
// come out as meant (an item off the paper, a font that is not installed)
// goes to `warnings`.
LayoutTemplate read(const QString& path, QStringList* warnings = nullptr);
// The same on the file's bytes; `shown` names it in messages.
LayoutTemplate parse(const QByteArray& json, const QString& shown, QStringList* warnings = nullptr);

// The file's bytes, in the format read() reads back equal.
QByteArray toJson(const LayoutTemplate& layoutTemplate);
// Writes the file aside and renames it over `path`, so that a save cut
// short leaves the old file. Throws PrintError naming the file.
void write(const LayoutTemplate& layoutTemplate, const QString& path);

// The templates built into the program: the SF form of each print window.
QString builtInName(WaybillVariant variant); // "sf-single", ...
const LayoutTemplate& builtIn(WaybillVariant variant);
// A built-in template by its name; nullptr when none has it.
const LayoutTemplate* builtIn(const QString& name);
QStringList builtInNames();
// A built-in template by its name, else the template file `nameOrFile`.
LayoutTemplate find(const QString& nameOrFile, QStringList* warnings = nullptr);

} // namespace LayoutTemplates
