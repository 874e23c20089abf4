#include "waybill/layout_template.h"

#include "store/schema.h"
#include "waybill/print_error.h"
#include "waybill/waybill_layout.h"

#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontDatabase>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QSet>
#include <algorithm>
#include <array>
#include <cmath>

// Resources of a static library must be pulled in by hand.
static void initTemplateResources()
{
    Q_INIT_RESOURCE(templates);
}

namespace LayoutTemplates {

namespace {

// What a file may hold; anything else is warned about and left alone.
const QSet<QString> documentKeys{QStringLiteral("format"), QStringLiteral("name"),
                                 QStringLiteral("paper"),  QStringLiteral("background"),
                                 QStringLiteral("items"),  QStringLiteral("placement_order")};
const QSet<QString> itemKeys{
    QStringLiteral("id"),         QStringLiteral("kind"),          QStringLiteral("source"),
    QStringLiteral("column"),     QStringLiteral("text"),          QStringLiteral("x_mm"),
    QStringLiteral("y_mm"),       QStringLiteral("width_mm"),      QStringLiteral("height_mm"),
    QStringLiteral("font"),       QStringLiteral("size_pt"),       QStringLiteral("wrap"),
    QStringLiteral("wrap_width"), QStringLiteral("align"),         QStringLiteral("form_box"),
    QStringLiteral("symbology"),  QStringLiteral("human_readable")};

// Reads one file's values, every message naming the file and the item.
class Reader {
public:
    Reader(QString shown, QStringList* warnings) : m_shown(std::move(shown)), m_warnings(warnings)
    {
    }

    [[noreturn]] void fail(const QString& what) const
    {
        throw PrintError(QStringLiteral(u"模板 %1%2：%3").arg(m_shown, m_where, what));
    }
    void warn(const QString& what) const
    {
        if (m_warnings)
            *m_warnings << QStringLiteral(u"模板 %1%2：%3").arg(m_shown, m_where, what);
    }
    void at(const QString& where) { m_where = where; }

    double number(const QJsonObject& o, const QString& key, std::optional<double> fallback = {})
    {
        const QJsonValue v = o.value(key);
        if (v.isUndefined() && fallback)
            return *fallback;
        if (!v.isDouble() || !std::isfinite(v.toDouble()))
            fail(QStringLiteral(u"“%1”应为数字").arg(key));
        return v.toDouble();
    }
    double length(const QJsonObject& o, const QString& key, std::optional<double> fallback = {})
    {
        const double mm = number(o, key, fallback);
        // A kilometre of paper is a typing error, and would overflow pixels.
        if (mm < 0 || mm > 10000)
            fail(QStringLiteral(u"“%1”应在 0 到 10000 毫米之间，而不是 %2").arg(key).arg(mm));
        return mm;
    }
    QString text(const QJsonObject& o, const QString& key, const QString& fallback = {})
    {
        const QJsonValue v = o.value(key);
        if (v.isUndefined())
            return fallback;
        if (!v.isString())
            fail(QStringLiteral(u"“%1”应为文字").arg(key));
        return v.toString();
    }
    void onlyKnown(const QJsonObject& o, const QSet<QString>& known)
    {
        for (auto it = o.begin(); it != o.end(); ++it)
            if (!known.contains(it.key()))
                warn(QStringLiteral(u"不认识“%1”，已忽略").arg(it.key()));
    }

private:
    QString m_shown;
    QString m_where;
    QStringList* m_warnings;
};

// Qt's own reason is English where no translation is loaded (the command line).
QString jsonReason(QJsonParseError::ParseError error)
{
    switch (error) {
    case QJsonParseError::UnterminatedObject:
        return QStringLiteral(u"对象缺少结尾的“}”");
    case QJsonParseError::MissingNameSeparator:
        return QStringLiteral(u"名称后缺少“:”");
    case QJsonParseError::UnterminatedArray:
        return QStringLiteral(u"列表缺少结尾的“]”");
    case QJsonParseError::MissingValueSeparator:
        return QStringLiteral(u"两个值之间缺少“,”");
    case QJsonParseError::IllegalNumber:
    case QJsonParseError::TerminationByNumber:
        return QStringLiteral(u"数字有误");
    case QJsonParseError::IllegalEscapeSequence:
        return QStringLiteral(u"文字中的“\\”转义有误");
    case QJsonParseError::IllegalUTF8String:
        return QStringLiteral(u"不是 UTF-8 编码的文字");
    case QJsonParseError::UnterminatedString:
        return QStringLiteral(u"文字缺少结尾的引号");
    case QJsonParseError::MissingObject:
        return QStringLiteral(u"应为一个对象");
    case QJsonParseError::DeepNesting:
        return QStringLiteral(u"嵌套过深");
    case QJsonParseError::DocumentTooLarge:
        return QStringLiteral(u"文件过大");
    case QJsonParseError::GarbageAtEnd:
        return QStringLiteral(u"结尾多出了内容");
    default:
        return QStringLiteral(u"此处的值有误");
    }
}

bool fontIsThere(const QString& family)
{
    return QFontDatabase::hasFamily(family) || !QFont::substitutes(family).isEmpty();
}

TemplateItem readItem(Reader& r, const QJsonObject& o, const QSizeF& paper, bool checkFonts)
{
    r.onlyKnown(o, itemKeys);
    TemplateItem item;
    item.id = r.text(o, QStringLiteral("id"));
    const QString kind = r.text(o, QStringLiteral("kind"), QStringLiteral("field"));
    const auto readColumn = [&] {
        const QString source = r.text(o, QStringLiteral("source"));
        if (source == QLatin1String("sender"))
            item.role = RecordRole::Sender;
        else if (source == QLatin1String("recipient"))
            item.role = RecordRole::Recipient;
        else
            r.fail(QStringLiteral(u"“source”应为 sender 或 recipient，而不是“%1”").arg(source));
        item.column = r.text(o, QStringLiteral("column"));
        const QStringList& columns =
            item.role == RecordRole::Sender ? Schema::senderColumns() : Schema::recipientColumns();
        if (!columns.contains(item.column))
            r.fail(QStringLiteral(u"%1没有“%2”这一栏（有：%3）")
                       .arg(item.role == RecordRole::Sender ? QStringLiteral(u"寄件人")
                                                            : QStringLiteral(u"收件人"),
                            item.column, columns.join(QStringLiteral(u"、"))));
    };
    if (kind == QLatin1String("field")) {
        item.kind = TemplateItem::Kind::Field;
        readColumn();
    } else if (kind == QLatin1String("text")) {
        item.kind = TemplateItem::Kind::Text;
        item.text = r.text(o, QStringLiteral("text"));
    } else if (kind == QLatin1String("barcode")) {
        item.kind = TemplateItem::Kind::Barcode;
        const QString symbology = r.text(o, QStringLiteral("symbology"));
        if (symbology == QLatin1String("code128"))
            item.symbology = Symbology::Code128;
        else if (symbology == QLatin1String("qr"))
            item.symbology = Symbology::Qr;
        else
            r.fail(QStringLiteral(u"不认识的“symbology”：“%1”（可用 code128、qr）").arg(symbology));
        if (o.contains(QStringLiteral("text"))) {
            item.text = r.text(o, QStringLiteral("text"));
            // A fixed value that cannot be encoded never will be: told here, by its item.
            if (const Barcode fixed = Barcode::encode(item.symbology, item.text); !fixed.isValid())
                r.warn(fixed.error() + QStringLiteral(u"，条码未打印"));
        } else {
            readColumn();
        }
        const QJsonValue readable = o.value(QStringLiteral("human_readable"));
        if (!readable.isUndefined() && !readable.isBool())
            r.fail(QStringLiteral(u"“human_readable”应为 true 或 false"));
        item.humanReadable = readable.toBool();
    } else {
        r.fail(QStringLiteral(u"不认识的“kind”：“%1”（可用 field、text、barcode）").arg(kind));
    }
    // One at a time, so that the first wrong one is the one named.
    const double x = r.length(o, QStringLiteral("x_mm"));
    const double y = r.length(o, QStringLiteral("y_mm"));
    const double width = r.length(o, QStringLiteral("width_mm"), 0);
    item.boxMm = QRectF(x, y, width, r.length(o, QStringLiteral("height_mm"), 0));
    item.font = r.text(o, QStringLiteral("font"), QStringLiteral(u"宋体"));
    item.sizePt = r.number(o, QStringLiteral("size_pt"), 12);
    if (item.sizePt <= 0 || item.sizePt > 500)
        r.fail(QStringLiteral(u"“size_pt”应在 0 到 500 之间，而不是 %1").arg(item.sizePt));
    const QString wrap = r.text(o, QStringLiteral("wrap"), QStringLiteral("none"));
    if (wrap == QLatin1String("none")) {
        item.wrap = TemplateItem::Wrap::None;
    } else if (wrap == QLatin1String("chars") || wrap == QLatin1String("gb-bytes")) {
        item.wrap = wrap == QLatin1String("chars") ? TemplateItem::Wrap::Characters
                                                   : TemplateItem::Wrap::GbBytes;
        const double wrapWidth = r.number(o, QStringLiteral("wrap_width"));
        // The byte rule's budget holds the two bytes of the break.
        const int least = item.wrap == TemplateItem::Wrap::GbBytes ? 3 : 1;
        if (wrapWidth != std::floor(wrapWidth) || wrapWidth < least || wrapWidth > 10000)
            r.fail(QStringLiteral(u"“wrap_width”应为 %1 到 10000 的整数").arg(least));
        item.wrapWidth = int(wrapWidth);
    } else {
        r.fail(QStringLiteral(u"不认识的“wrap”：“%1”（可用 none、chars、gb-bytes）").arg(wrap));
    }
    const QString align = r.text(o, QStringLiteral("align"), QStringLiteral("left"));
    if (align == QLatin1String("left"))
        item.align = Qt::AlignLeft;
    else if (align == QLatin1String("center"))
        item.align = Qt::AlignHCenter;
    else if (align == QLatin1String("right"))
        item.align = Qt::AlignRight;
    else
        r.fail(QStringLiteral(u"不认识的“align”：“%1”（可用 left、center、right）").arg(align));
    item.formBox = r.text(o, QStringLiteral("form_box"));

    if (item.boxMm.right() > paper.width() || item.boxMm.bottom() > paper.height())
        r.warn(QStringLiteral(u"超出纸边（纸 %1 × %2 毫米），超出的部分印不出")
                   .arg(paper.width())
                   .arg(paper.height()));
    if (checkFonts && !fontIsThere(item.font))
        r.warn(QStringLiteral(u"字体“%1”未安装，以替代字体打印").arg(item.font));
    return item;
}

} // namespace

LayoutTemplate parse(const QByteArray& json, const QString& shown, QStringList* warnings)
{
    Reader r(shown, warnings);
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError)
        r.fail(QStringLiteral(u"不是有效的 JSON（第 %1 字节：%2）")
                   .arg(error.offset + 1)
                   .arg(jsonReason(error.error)));
    if (!doc.isObject())
        r.fail(QStringLiteral(u"应为一个 JSON 对象"));
    const QJsonObject o = doc.object();
    const QJsonValue version = o.value(QStringLiteral("format"));
    if (version.isUndefined())
        r.fail(QStringLiteral(u"缺少“format”（本程序读格式 %1）").arg(format));
    if (version.toDouble() != format)
        r.fail(
            QStringLiteral(u"不认识的格式“%1”（本程序读格式 %2）")
                .arg(version.isString() ? version.toString() : QString::number(version.toDouble()))
                .arg(format));
    r.onlyKnown(o, documentKeys);

    LayoutTemplate t;
    t.source = shown;
    t.name = r.text(o, QStringLiteral("name"), QFileInfo(shown).completeBaseName());
    const QJsonObject paper = o.value(QStringLiteral("paper")).toObject();
    r.at(QStringLiteral(u" 纸张"));
    const double width = r.length(paper, QStringLiteral("width_mm"));
    t.paperMm = QSizeF(width, r.length(paper, QStringLiteral("height_mm")));
    if (t.paperMm.isEmpty())
        r.fail(QStringLiteral(u"纸张的宽和高应大于 0"));

    if (const QJsonValue b = o.value(QStringLiteral("background")); !b.isUndefined()) {
        r.at(QStringLiteral(u" 底图"));
        const QJsonObject bo = b.toObject();
        TemplateBackground background;
        background.file = r.text(bo, QStringLiteral("file"));
        if (background.file.isEmpty())
            r.fail(QStringLiteral(u"缺少“file”"));
        background.dpi = r.number(bo, QStringLiteral("dpi"), 0);
        const double page = r.number(bo, QStringLiteral("page"), 1);
        if (page < 1 || page > 1e6 || page != std::floor(page))
            r.fail(QStringLiteral(u"“page”应为从 1 起的页码，而不是 %1").arg(page));
        background.page = int(page);
        const double x = r.length(bo, QStringLiteral("x_mm"), 0);
        const double y = r.length(bo, QStringLiteral("y_mm"), 0);
        const double w = r.length(bo, QStringLiteral("width_mm"), 0);
        // Without a size the picture's own pixels and dpi give it.
        background.boxMm = QRectF(x, y, w, r.length(bo, QStringLiteral("height_mm"), 0));
        if (background.boxMm.isEmpty() && background.dpi <= 0 && !background.isPdf())
            r.fail(QStringLiteral(u"应给出“dpi”或“width_mm”和“height_mm”"));
        t.background = background;
    }

    const QJsonValue items = o.value(QStringLiteral("items"));
    r.at({});
    if (!items.isArray())
        r.fail(QStringLiteral(u"缺少“items”列表"));
    const QJsonArray list = items.toArray();
    for (qsizetype i = 0; i < list.size(); ++i) {
        const QJsonObject item = list.at(i).toObject();
        const QString id = item.value(QStringLiteral("id")).toString();
        r.at(id.isEmpty() ? QStringLiteral(u" 第 %1 项").arg(i + 1)
                          : QStringLiteral(u" 第 %1 项（%2）").arg(i + 1).arg(id));
        if (!list.at(i).isObject())
            r.fail(QStringLiteral(u"应为一个 JSON 对象"));
        t.items.append(readItem(r, item, t.paperMm, warnings != nullptr));
    }
    r.at({});
    for (const QJsonValue& id : o.value(QStringLiteral("placement_order")).toArray())
        t.placementOrder << id.toString();
    return t;
}

LayoutTemplate read(const QString& path, QStringList* warnings)
{
    QFile file(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly))
        throw PrintError(QStringLiteral(u"无法读取模板 %1").arg(path));
    // A template is a few kilobytes; a huge file is no template.
    constexpr qint64 largest = 16 << 20;
    if (file.size() > largest)
        throw PrintError(QStringLiteral(u"模板 %1：文件过大，不是模板").arg(path));
    return parse(file.readAll(), path, warnings);
}

namespace {

constexpr std::array variants{WaybillVariant::AddressBookSingle, WaybillVariant::ImportedSingle,
                              WaybillVariant::AddressBookBatch, WaybillVariant::ImportedBatch};

} // namespace

QString builtInName(WaybillVariant variant)
{
    return QStringLiteral("sf-") + windowAlias(variant);
}

const LayoutTemplate& builtIn(WaybillVariant variant)
{
    static const std::array<LayoutTemplate, variants.size()> loaded = [] {
        initTemplateResources();
        std::array<LayoutTemplate, variants.size()> all;
        for (std::size_t i = 0; i < variants.size(); ++i) {
            all[i] = read(QStringLiteral(":/templates/%1.json").arg(builtInName(variants[i])));
            all[i].builtIn = true;
        }
        return all;
    }();
    return loaded[std::size_t(std::find(variants.begin(), variants.end(), variant) -
                              variants.begin())];
}

namespace {

QJsonObject itemJson(const TemplateItem& item)
{
    QJsonObject o;
    if (!item.id.isEmpty())
        o.insert(QStringLiteral("id"), item.id);
    const auto column = [&] {
        o.insert(QStringLiteral("source"), item.role == RecordRole::Sender
                                               ? QStringLiteral("sender")
                                               : QStringLiteral("recipient"));
        o.insert(QStringLiteral("column"), item.column);
    };
    switch (item.kind) {
    case TemplateItem::Kind::Field:
        o.insert(QStringLiteral("kind"), QStringLiteral("field"));
        column();
        break;
    case TemplateItem::Kind::Text:
        o.insert(QStringLiteral("kind"), QStringLiteral("text"));
        o.insert(QStringLiteral("text"), item.text);
        break;
    case TemplateItem::Kind::Barcode:
        o.insert(QStringLiteral("kind"), QStringLiteral("barcode"));
        o.insert(QStringLiteral("symbology"), item.symbology == Symbology::Qr
                                                  ? QStringLiteral("qr")
                                                  : QStringLiteral("code128"));
        if (item.column.isEmpty())
            o.insert(QStringLiteral("text"), item.text);
        else
            column();
        o.insert(QStringLiteral("human_readable"), item.humanReadable);
        break;
    }
    o.insert(QStringLiteral("x_mm"), item.boxMm.x());
    o.insert(QStringLiteral("y_mm"), item.boxMm.y());
    o.insert(QStringLiteral("width_mm"), item.boxMm.width());
    o.insert(QStringLiteral("height_mm"), item.boxMm.height());
    o.insert(QStringLiteral("font"), item.font);
    o.insert(QStringLiteral("size_pt"), item.sizePt);
    if (item.wrap != TemplateItem::Wrap::None) {
        o.insert(QStringLiteral("wrap"), item.wrap == TemplateItem::Wrap::Characters
                                             ? QStringLiteral("chars")
                                             : QStringLiteral("gb-bytes"));
        o.insert(QStringLiteral("wrap_width"), item.wrapWidth);
    }
    if (item.align & Qt::AlignHCenter)
        o.insert(QStringLiteral("align"), QStringLiteral("center"));
    else if (item.align & Qt::AlignRight)
        o.insert(QStringLiteral("align"), QStringLiteral("right"));
    if (!item.formBox.isEmpty())
        o.insert(QStringLiteral("form_box"), item.formBox);
    return o;
}

} // namespace

QByteArray toJson(const LayoutTemplate& t)
{
    QJsonObject o;
    o.insert(QStringLiteral("format"), format);
    o.insert(QStringLiteral("name"), t.name);
    o.insert(QStringLiteral("paper"),
             QJsonObject{{QStringLiteral("width_mm"), t.paperMm.width()},
                         {QStringLiteral("height_mm"), t.paperMm.height()}});
    if (t.background) {
        QJsonObject b{{QStringLiteral("file"), t.background->file},
                      {QStringLiteral("x_mm"), t.background->boxMm.x()},
                      {QStringLiteral("y_mm"), t.background->boxMm.y()}};
        if (t.background->dpi > 0)
            b.insert(QStringLiteral("dpi"), t.background->dpi);
        if (t.background->page != 1)
            b.insert(QStringLiteral("page"), t.background->page);
        if (!t.background->boxMm.isEmpty()) {
            b.insert(QStringLiteral("width_mm"), t.background->boxMm.width());
            b.insert(QStringLiteral("height_mm"), t.background->boxMm.height());
        }
        o.insert(QStringLiteral("background"), b);
    }
    if (!t.placementOrder.isEmpty())
        o.insert(QStringLiteral("placement_order"), QJsonArray::fromStringList(t.placementOrder));
    QJsonArray items;
    for (const TemplateItem& item : t.items)
        items.append(itemJson(item));
    o.insert(QStringLiteral("items"), items);
    return QJsonDocument(o).toJson(QJsonDocument::Indented);
}

void write(const LayoutTemplate& t, const QString& path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(toJson(t)) < 0 || !file.commit())
        throw PrintError(QStringLiteral(u"无法保存模板 %1：%2").arg(path, file.errorString()));
}

namespace {

// Built in beside the SF forms, for the shop's own parcels.
const QString parcelLabel = QStringLiteral("parcel-label-100x150");

} // namespace

const LayoutTemplate* builtIn(const QString& name)
{
    for (const WaybillVariant v : variants)
        if (builtInName(v) == name)
            return &builtIn(v);
    if (name == parcelLabel) {
        static const LayoutTemplate label = [] {
            initTemplateResources();
            LayoutTemplate t = read(QStringLiteral(":/templates/%1.json").arg(parcelLabel));
            t.builtIn = true;
            return t;
        }();
        return &label;
    }
    return nullptr;
}

LayoutTemplate find(const QString& nameOrFile, QStringList* warnings)
{
    if (const LayoutTemplate* t = builtIn(nameOrFile))
        return *t;
    if (!QFileInfo::exists(nameOrFile))
        throw PrintError(QStringLiteral(u"没有模板“%1”：既不是文件，也不是内置模板（%2）")
                             .arg(nameOrFile, builtInNames().join(QStringLiteral(u"、"))));
    return read(nameOrFile, warnings);
}

QStringList builtInNames()
{
    QStringList names;
    for (const WaybillVariant v : variants)
        names << builtInName(v);
    return names << parcelLabel;
}

} // namespace LayoutTemplates
