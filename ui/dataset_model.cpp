#include "ui/dataset_model.h"

#include "store/dataset.h"

DatasetModel::DatasetModel(Dataset& dataset, QObject* parent)
    : QAbstractTableModel(parent), m_dataset(dataset)
{
    connect(&dataset, &Dataset::aboutToReset, this, &DatasetModel::beginResetModel);
    connect(&dataset, &Dataset::reset, this, &DatasetModel::endResetModel);
    // The dataset has already added the row; the view learns of it now.
    connect(&dataset, &Dataset::rowAppended, this, [this](int row) {
        beginInsertRows({}, row, row);
        endInsertRows();
    });
    connect(&dataset, &Dataset::rowsLoaded, this, [this](int first, int last) {
        beginInsertRows({}, first, last);
        endInsertRows();
    });
    connect(&dataset, &Dataset::rowChanged, this,
            [this](int row) { emit dataChanged(index(row, 0), index(row, columnCount() - 1)); });
    connect(&dataset, &Dataset::rowAboutToBeRemoved, this,
            [this](int row) { beginRemoveRows({}, row, row); });
    connect(&dataset, &Dataset::rowRemoved, this, &DatasetModel::endRemoveRows);
}

int DatasetModel::rowCount(const QModelIndex& parent) const
{
    // Rows still being read come in as they arrive.
    return parent.isValid() ? 0 : m_dataset.loadedCount();
}

int DatasetModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_dataset.columnNames().size());
}

QVariant DatasetModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || role != Qt::DisplayRole)
        return {};
    return m_dataset.value(index.row(), index.column());
}

QVariant DatasetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return {};
    return m_dataset.columnNames().value(section);
}
