#include "waybill/template_document.h"

#include "waybill/print_error.h"
#include "waybill/template_picture.h"

#include <QDir>
#include <QFileInfo>
#include <QUndoCommand>
#include <algorithm>
#include <cmath>
#include <functional>

// The whole template before and after: a template is a few kilobytes, and
// one kind of step undoes every kind of change alike.
class TemplateChange : public QUndoCommand {
public:
    TemplateChange(TemplateDocument& document, LayoutTemplate after, const QString& text,
                   int mergeKey)
        : QUndoCommand(text), m_document(document), m_before(document.layout()),
          m_after(std::move(after)), m_mergeKey(mergeKey)
    {
    }

    void undo() override { m_document.set(m_before); }
    void redo() override { m_document.set(m_after); }
    int id() const override { return m_mergeKey ? m_mergeKey : -1; }
    bool mergeWith(const QUndoCommand* other) override
    {
        m_after = static_cast<const TemplateChange*>(other)->m_after;
        return true;
    }

private:
    TemplateDocument& m_document;
    LayoutTemplate m_before;
    LayoutTemplate m_after;
    int m_mergeKey;
};

TemplateDocument::TemplateDocument()
{
    reset(blank({100, 150}));
}

LayoutTemplate TemplateDocument::blank(const QSizeF& paperMm)
{
    LayoutTemplate t;
    t.name = QStringLiteral(u"新模板");
    t.paperMm = paperMm;
    return t;
}

void TemplateDocument::reset(const LayoutTemplate& layout, const QString& path)
{
    m_path = path;
    m_undo.clear();
    set(layout);
    // The picture held by its whole path, so that undo and save as do not
    // depend on the folder; a copy of a built-in template is the user's.
    m_layout.source = layout.source;
    if (m_layout.background)
        m_layout.background->file = TemplatePicture::pathOf(m_layout);
    m_layout.builtIn = false;
}

void TemplateDocument::open(const QString& path, QStringList* warnings)
{
    reset(LayoutTemplates::read(path, warnings), path);
}

void TemplateDocument::exportTo(const QString& path) const
{
    LayoutTemplate saved = m_layout;
    // The picture named from the file's own folder, wherever that is now.
    if (saved.background && QFileInfo(saved.background->file).isAbsolute())
        saved.background->file =
            QFileInfo(path).absoluteDir().relativeFilePath(saved.background->file);
    LayoutTemplates::write(saved, path);
}

void TemplateDocument::save(const QString& path)
{
    exportTo(path);
    m_path = path;
    m_layout.source = path;
    m_undo.setClean();
}

void TemplateDocument::set(const LayoutTemplate& layout)
{
    // The file stays the document's whatever step comes back.
    const QString source = m_layout.source;
    m_layout = layout;
    m_layout.source = source;
    if (m_changed)
        m_changed();
}

void TemplateDocument::change(const LayoutTemplate& after, const QString& text, int mergeKey)
{
    if (after == m_layout)
        return;
    m_undo.push(new TemplateChange(*this, after, text, mergeKey));
}

QString TemplateDocument::freeId(const LayoutTemplate& layout, const TemplateItem& item)
{
    const QString stem = item.kind == TemplateItem::Kind::Field     ? QStringLiteral("field")
                         : item.kind == TemplateItem::Kind::Barcode ? QStringLiteral("barcode")
                                                                    : QStringLiteral("text");
    for (int n = 1;; ++n) {
        const QString id = stem + QString::number(n);
        if (std::none_of(layout.items.begin(), layout.items.end(),
                         [&](const TemplateItem& i) { return i.id == id; }))
            return id;
    }
}

QList<int> TemplateDocument::append(QList<TemplateItem> items, const QString& text)
{
    LayoutTemplate after = m_layout;
    QList<int> added;
    for (TemplateItem& item : items) {
        const bool taken = item.id.isEmpty() ||
                           std::any_of(after.items.begin(), after.items.end(),
                                       [&](const TemplateItem& i) { return i.id == item.id; });
        if (taken)
            item.id = freeId(after, item);
        added << int(after.items.size());
        after.items.append(item);
    }
    change(after, text);
    return added;
}

int TemplateDocument::add(TemplateItem item)
{
    return append({item}, QStringLiteral(u"添加")).value(0, -1);
}

void TemplateDocument::remove(QList<int> indexes)
{
    LayoutTemplate after = m_layout;
    std::sort(indexes.begin(), indexes.end(), std::greater<>());
    for (int i : indexes)
        if (i >= 0 && i < after.items.size()) {
            after.placementOrder.removeAll(after.items.at(i).id);
            after.items.removeAt(i);
        }
    change(after, QStringLiteral(u"删除"));
}

void TemplateDocument::move(const QList<int>& indexes, QPointF byMm, int mergeKey)
{
    LayoutTemplate after = m_layout;
    for (int i : indexes)
        if (i >= 0 && i < after.items.size()) {
            QRectF& box = after.items[i].boxMm;
            // Never above or left of the paper: the file takes no negatives.
            // Steps of 0.1 mm add up in binary; the file should read 5.3, not
            // 5.299999999999999.
            const auto step = [](double mm) { return std::max(0.0, std::round(mm * 1000) / 1000); };
            box.moveTopLeft(QPointF(step(box.x() + byMm.x()), step(box.y() + byMm.y())));
        }
    change(after, QStringLiteral(u"移动"), mergeKey);
}

void TemplateDocument::setItem(int index, const TemplateItem& item, const QString& text)
{
    if (index < 0 || index >= m_layout.items.size())
        return;
    LayoutTemplate after = m_layout;
    after.items[index] = item;
    change(after, text);
}

QByteArray TemplateDocument::copy(const QList<int>& indexes) const
{
    LayoutTemplate part = blank(m_layout.paperMm);
    for (int i : indexes)
        if (i >= 0 && i < m_layout.items.size())
            part.items.append(m_layout.items.at(i));
    return LayoutTemplates::toJson(part);
}

QList<int> TemplateDocument::paste(const QByteArray& bytes)
{
    QList<TemplateItem> items = LayoutTemplates::parse(bytes, QStringLiteral(u"剪贴板")).items;
    for (TemplateItem& item : items)
        item.boxMm.translate(2, 2);
    return append(items, QStringLiteral(u"粘贴"));
}

QList<int> TemplateDocument::import(const QString& path, QStringList* warnings)
{
    return append(LayoutTemplates::read(path, warnings).items, QStringLiteral(u"导入"));
}
