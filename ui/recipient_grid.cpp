#include "ui/recipient_grid.h"

#include "store/dataset.h"
#include "ui/dataset_model.h"
#include "ui/ui_fonts.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>

namespace {

struct GridColumn {
    const char16_t* title;
    int width;
};

const GridColumn columns[] = {
    {u"单位名称", 150}, {u"姓 名", 60},    {u"目的地", 60},   {u"收件地址", 230}, {u"邮政编码", 60},
    {u"联系电话", 80},  {u"手机号码", 80}, {u"内件品名", 80}, {u"数 量", 60},     {u"备 注", 80}};

// Titles of the grid differ from the column names in places ("姓 名").
class TitledModel : public DatasetModel {
public:
    using DatasetModel::DatasetModel;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Horizontal && section >= 0 && section < int(std::size(columns))) {
            if (role == Qt::DisplayRole)
                return QString::fromUtf16(columns[section].title);
            if (role == Qt::FontRole)
                return UiFonts::songti(section == 9 ? 13 : 12, true);
            if (role == Qt::TextAlignmentRole)
                return int(Qt::AlignCenter);
        }
        return DatasetModel::headerData(section, orientation, role);
    }
};

} // namespace

RecipientGrid::RecipientGrid(Dataset& dataset, QWidget* parent)
    : QTableView(parent), m_dataset(dataset)
{
    setObjectName(QStringLiteral("DBGridEh1"));
    auto* model = new TitledModel(dataset, this);
    setModel(model);
    setFont(UiFonts::songti(12));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setFrameShape(QFrame::NoFrame);
    QPalette p = palette();
    p.setColor(QPalette::Base, QColor(238, 238, 238));
    p.setColor(QPalette::AlternateBase, QColor(238, 238, 238));
    setPalette(p);
    horizontalHeader()->setFixedHeight(18);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setSortIndicatorShown(true);
    horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    horizontalHeader()->setHighlightSections(false);
    verticalHeader()->setDefaultSectionSize(18);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setFixedWidth(12);
    setSortingEnabled(false); // a title click only shows the marker
    for (const GridColumn& c : columns)
        m_widths << c.width;
    // Reopening the dataset rebuilds the columns; widths the user dragged
    // stay for the run.
    const auto keepWidths = [this] {
        for (int c = 0; c < m_widths.size() && c < this->model()->columnCount(); ++c)
            m_widths[c] = columnWidth(c);
    };
    const auto applyWidths = [this] {
        for (int c = 0; c < m_widths.size(); ++c)
            setColumnWidth(c, m_widths.at(c));
    };
    applyWidths();
    connect(model, &QAbstractItemModel::modelAboutToBeReset, this, keepWidths);
    connect(model, &QAbstractItemModel::modelReset, this, applyWidths);
    connect(&dataset, &Dataset::currentRowChanged, this, &RecipientGrid::followDataset);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &RecipientGrid::followSelection);
    // A click beside the rows or a Ctrl+click would leave no row marked while
    // the commands still act on the current one.
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (!m_syncing && !selectionModel()->hasSelection() && m_dataset.currentRow() >= 0)
            followDataset(m_dataset.currentRow());
    });
    followDataset(dataset.currentRow());
}

void RecipientGrid::followDataset(int row)
{
    if (m_syncing)
        return;
    m_syncing = true;
    if (row < 0) {
        selectionModel()->clear();
    } else {
        const QModelIndex index = model()->index(row, 0);
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                     QItemSelectionModel::Rows);
        scrollTo(index);
    }
    m_syncing = false;
}

void RecipientGrid::followSelection()
{
    if (m_syncing)
        return;
    const QModelIndex current = selectionModel()->currentIndex();
    if (!current.isValid())
        return;
    m_syncing = true;
    m_dataset.setCurrentRow(current.row());
    m_syncing = false;
}

void RecipientGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTableView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        emit doubleClickedAnywhere();
}

void RecipientGrid::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier &&
        m_dataset.currentRow() >= 0) {
        event->accept();
        emit enterPressed();
        return;
    }
    QTableView::keyPressEvent(event);
}
