#pragma once

#include "waybill/layout_template.h"

#include <QByteArray>
#include <QList>
#include <QPointF>
#include <QString>
#include <QUndoStack>
#include <functional>

// The template the designer edits: every change is one undoable step on
// its QUndoStack, and the file it came from or was saved to.
class TemplateDocument {
public:
    TemplateDocument();

    const LayoutTemplate& layout() const { return m_layout; }
    QUndoStack& undoStack() { return m_undo; }
    // "" until opened or saved.
    const QString& path() const { return m_path; }
    bool isModified() const { return !m_undo.isClean(); }
    // Called after every change, undo and redo included.
    void onChanged(std::function<void()> changed) { m_changed = std::move(changed); }

    // A new document, without history: blank paper of this size.
    static LayoutTemplate blank(const QSizeF& paperMm);
    void reset(const LayoutTemplate& layout, const QString& path = {});
    // Reads a template file in place of this one. Throws PrintError.
    void open(const QString& path, QStringList* warnings = nullptr);
    // Writes atomically and makes `path` the document's file.
    void save(const QString& path);
    // Writes a copy elsewhere; the document stays as it is.
    void exportTo(const QString& path) const;

    // One undoable step from the template as it is to `after`. Steps with
    // the same nonzero `mergeKey` in a row are undone as one (arrow keys).
    void change(const LayoutTemplate& after, const QString& text, int mergeKey = 0);

    // Adds an item with an id no other item has; gives its index.
    int add(TemplateItem item);
    void remove(QList<int> indexes);
    void move(const QList<int>& indexes, QPointF byMm, int mergeKey = 0);
    void setItem(int index, const TemplateItem& item, const QString& text);

    // The items as the clipboard carries them, and back: pasted items get
    // new ids and land a little off the originals. paste() throws
    // PrintError on bytes that hold no items and gives the new indexes.
    QByteArray copy(const QList<int>& indexes) const;
    QList<int> paste(const QByteArray& bytes);
    // The items of another template file added to this one.
    QList<int> import(const QString& path, QStringList* warnings = nullptr);

    static QString clipboardType() { return QStringLiteral("application/x-sfwaybill-template"); }

private:
    friend class TemplateChange;
    void set(const LayoutTemplate& layout);
    static QString freeId(const LayoutTemplate& layout, const TemplateItem& item);
    QList<int> append(QList<TemplateItem> items, const QString& text);

    LayoutTemplate m_layout;
    QString m_path;
    QUndoStack m_undo;
    std::function<void()> m_changed;
};
