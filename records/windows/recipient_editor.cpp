#include "records/windows/recipient_editor.h"

#include "records/address_parser.h"
#include "ui/app_info.h"
#include "ui/dialogs.h"
#include "ui/error_report.h"
#include "ui/ui_fonts.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPushButton>
#include <QShortcut>

using namespace Widgets;

RecipientEditor::RecipientEditor(AddressBook& book, QWidget* parent)
    : MovablePanel(parent), m_book(book)
{
    setObjectName(QStringLiteral("Panel2"));
    const QFont text = UiFonts::songti(14);
    const QFont mark = UiFonts::songti(12);
    const QColor red(Qt::red);

    struct LabelledBox {
        const char16_t* label;
        QPoint labelAt;
        const char* name;
        QRect geometry;
    };
    // In table column order; the tab order below follows the screen.
    const LabelledBox boxes[] = {
        {u"单位名称", {40, 43}, "Edit8", {104, 40, 329, 22}},
        {u"收件人姓名", {440, 43}, "Edit9", {520, 40, 105, 22}},
        {u"目 的 地", {40, 75}, "Edit21", {104, 72, 121, 22}},
        {u"收件地址", {232, 75}, "Edit10", {296, 72, 329, 22}},
        {u"邮政编码", {40, 107}, "Edit11", {104, 104, 121, 22}},
        {u"联系电话", {232, 107}, "Edit12", {296, 104, 137, 22}},
        {u"手机号码", {440, 107}, "Edit13", {504, 104, 121, 22}},
        {u"内件品名", {40, 139}, "Edit26", {104, 136, 121, 22}},
        {u"数    量", {232, 140}, "Edit22", {296, 136, 137, 22}},
        {u"备    注", {440, 139}, "Edit14", {504, 136, 121, 22}},
    };
    for (const LabelledBox& b : boxes) {
        label(this, QString::fromUtf16(b.label), b.labelAt.x(), b.labelAt.y(), text);
        m_boxes << lineEdit(this, QString::fromLatin1(b.name), b.geometry.x(), b.geometry.y(),
                            b.geometry.width(), b.geometry.height(), text);
    }
    for (const QPoint at : {QPoint(458, 59), QPoint(240, 91), QPoint(453, 123)})
        label(this, QStringLiteral(u"(必填)"), at.x(), at.y(), mark, red);

    m_add = button(this, QStringLiteral("Button3"), QStringLiteral(u"新 增"), 216, 184);
    auto* close = button(this, QStringLiteral("Button4"), QStringLiteral(u"关 闭"), 368, 184);
    m_modify = button(this, QStringLiteral("Button5"), QStringLiteral(u"修 改"), 216, 184);
    m_modify->hide();
    // Beside "关 闭", in the free place of the button row.
    m_paste = button(this, QStringLiteral("PasteButton"), QStringLiteral(u"智能识别"), 520, 184);
    m_paste->setToolTip(QStringLiteral(u"粘贴聊天或订单里的姓名、电话和地址，自动填入"));
    for (QPushButton* b : {m_add, close, m_modify, m_paste}) {
        b->setFont(text);
        b->setAutoDefault(true); // Enter presses the focused button
    }
    auto* picture = new ClosePicture(this, QStringLiteral("Image1"), 640, 8);
    connect(m_add, &QPushButton::clicked, this, &RecipientEditor::add);
    connect(close, &QPushButton::clicked, this, &RecipientEditor::closeEditor);
    connect(m_modify, &QPushButton::clicked, this, &RecipientEditor::modify);
    connect(picture, &ClosePicture::clicked, this, &RecipientEditor::closeEditor);
    connect(m_paste, &QPushButton::clicked, this, &RecipientEditor::pasteAndSplit);
    // Esc anywhere in the editor closes it as "关 闭" does.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, this, &RecipientEditor::closeEditor);

    QWidget* order[] = {m_boxes[0], m_boxes[1], m_boxes[2], m_boxes[3], m_boxes[4],
                        m_boxes[5], m_boxes[6], m_boxes[7], m_boxes[8], m_boxes[9],
                        m_add,      close,      m_modify,   m_paste};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);
    using C = AddressBook::Column;
    chainEnterKey({m_boxes[C::Company], m_boxes[C::Name], m_boxes[C::Address], m_boxes[C::Postcode],
                   m_boxes[C::Phone], m_boxes[C::Mobile], m_boxes[C::Remarks]},
                  nullptr);
}

RecipientFields RecipientEditor::fields() const
{
    RecipientFields f;
    for (int c = 0; c < RecipientFields::count; ++c)
        f[c] = m_boxes.at(c)->text();
    return f;
}

void RecipientEditor::showFields(const RecipientFields& f)
{
    for (int c = 0; c < RecipientFields::count; ++c)
        m_boxes.at(c)->setSystemText(f[c]);
}

void RecipientEditor::clearPersonBoxes()
{
    using C = AddressBook::Column;
    for (int c : {C::Company, C::Name, C::Address, C::Postcode, C::Phone, C::Mobile, C::Remarks})
        m_boxes.at(c)->setSystemText(QString());
}

void RecipientEditor::openForNew()
{
    show();
    raise();
    m_add->show();
    m_modify->hide();
    clearPersonBoxes();
    using C = AddressBook::Column;
    for (int c : {C::Goods, C::Quantity})
        m_boxes.at(c)->setSystemText(QString());
    m_boxes.first()->setFocus();
}

void RecipientEditor::openOnCurrent()
{
    m_add->hide();
    m_modify->show();
    show();
    raise();
    showFields(m_book.current());
    m_boxes.first()->setFocus();
}

void RecipientEditor::add()
{
    ErrorReport::run(this, [this] {
        const RecipientFields f = fields();
        if (const auto missing = AddressBook::missingColumn(f)) {
            Dialogs::inform(this, *AddressBook::missingField(f));
            m_boxes.at(*missing)->setFocus();
            return;
        }
        if (const auto same = m_book.alreadyHas(f)) {
            QStringList known;
            for (const QString& part : {same->name, same->mobile, same->address})
                if (!part.trimmed().isEmpty())
                    known << part.trimmed();
            if (!Dialogs::confirm(this,
                                  QStringLiteral(u"该收件人已存在（%1），仍要新增吗？")
                                      .arg(known.join(QStringLiteral(u"，"))),
                                  Dialogs::Default::No))
                return;
        }
        m_book.add(f);
        clearPersonBoxes();
        Dialogs::inform(this, QStringLiteral(u"新增记录成功！"));
        m_boxes.first()->setFocus();
    });
}

void RecipientEditor::modify()
{
    ErrorReport::run(this, [this] {
        if (!m_book.hasCurrent()) {
            Dialogs::inform(this, QStringLiteral(u"当前修改信息为空！"));
            return;
        }
        QList<bool> changed;
        for (const TrackedLineEdit* box : m_boxes)
            changed << box->userChanged();
        m_book.modify(fields(), changed);
        Dialogs::inform(this, QStringLiteral(u"修改记录成功！"));
        hide();
    });
}

void RecipientEditor::closeEditor()
{
    hide();
}

void RecipientEditor::pasteAndSplit()
{
    const auto text = Dialogs::current().editText(this, QStringLiteral(u"智能识别"),
                                                  QStringLiteral(u"粘贴收件人的姓名、电话和地址："),
                                                  QGuiApplication::clipboard()->text());
    if (!text)
        return;
    // One recipient's text is a few hundred characters; a whole chat or
    // file pasted by mistake would only fill the boxes with noise.
    constexpr qsizetype maxPasteChars = 5000;
    if (text->size() > maxPasteChars) {
        Dialogs::current().message(
            this, AppInfo::title,
            QStringLiteral(u"粘贴的文字有%1个字符，超过%2个字符，请只粘贴一位收件人的信息！")
                .arg(text->size())
                .arg(maxPasteChars),
            Dialogs::Icon::Warning);
        return;
    }
    const ParsedRecipient r = AddressParser::parse(*text);
    using C = AddressBook::Column;
    // Typed in as the user would, so "修 改" writes them; the person's boxes
    // show what the text gave, the others change only when it gave them.
    const auto put = [this](int column, const QString& value) {
        TrackedLineEdit* box = m_boxes.at(column);
        if (box->text() == value)
            return;
        box->selectAll();
        box->insert(value);
    };
    put(C::Name, r.name);
    put(C::Mobile, r.mobile);
    put(C::Phone, r.phone);
    put(C::Address, r.address);
    put(C::Postcode, r.postcode);
    for (const auto& [column, value] : {std::pair{C::Destination, r.destination},
                                        {C::Company, r.company},
                                        {C::Remarks, r.remarks}})
        if (!value.isEmpty())
            put(column, value);
}
