#pragma once

#include "records/address_book.h"
#include "ui/widgets.h"

#include <QList>

class QPushButton;

// Panel2: the floating editor for one recipient, in new or modify mode.
class RecipientEditor : public MovablePanel {
    Q_OBJECT
public:
    RecipientEditor(AddressBook& book, QWidget* parent);

    void openForNew();       // empty boxes except 目的地; only "新 增" shown
    void openOnCurrent();    // the current row loaded; only "修 改" shown
    void clearPersonBoxes(); // the seven boxes that belong to one person

    RecipientFields fields() const;

public slots:
    void add();         // 新 增
    void closeEditor(); // 关 闭
    void modify();      // 修 改
    // "智能识别": a pasted text split into the boxes, shown before saving.
    void pasteAndSplit();

private:
    void showFields(const RecipientFields& fields);

    AddressBook& m_book;
    QList<TrackedLineEdit*> m_boxes; // in table column order
    QPushButton* m_add;
    QPushButton* m_modify;
    QPushButton* m_paste;
};
