#include "rivulet/views/ReleasesTableModel.h"

#include "rivulet/data/ReleasesControllerI.h"

#include <QFont>

#include <algorithm>

namespace rivulet {

ReleasesTableModel::ReleasesTableModel(const ReleasesControllerI& releases, QObject* parent)
    : QAbstractTableModel(parent), releases_(releases)
{
}

int ReleasesTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : labels_.size();
}

int ReleasesTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 1;
}

QVariant ReleasesTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= labels_.size())
        return {};
    if (role == Qt::CheckStateRole)
        return checked_.at(index.row()) ? Qt::Checked : Qt::Unchecked;
    if (role == Qt::DisplayRole)
        return labels_.at(index.row());
    return {};
}

QVariant ReleasesTableModel::headerData(int, Qt::Orientation orientation, int role) const
{
    if (role == Qt::DisplayRole && orientation == Qt::Horizontal)
        return QStringLiteral("Releases");
    if (role == Qt::FontRole) {
        QFont font;
        font.setWeight(QFont::Bold);
        return font;
    }
    return {};
}

Qt::ItemFlags ReleasesTableModel::flags(const QModelIndex& index) const
{
    return QAbstractTableModel::flags(index) | Qt::ItemIsUserCheckable;
}

bool ReleasesTableModel::setData(const QModelIndex& index, const QVariant&, int role)
{
    if (role != Qt::CheckStateRole || !index.isValid() || index.row() >= checked_.size())
        return false;
    const int row = index.row();
    int first = row;
    int last = row;
    if (singleSelection_) {
        if (checked_.at(row))
            return false;
        for (int i = 0; i < checked_.size(); ++i) {
            if (checked_.at(i) && i != row) {
                first = std::min(first, i);
                last = std::max(last, i);
            }
            checked_[i] = i == row;
        }
    } else {
        checked_[row] = !checked_.at(row);
    }
    selection_.clear();
    for (int i = 0; i < releaseIds_.size(); ++i) {
        if (checked_.at(i))
            selection_.append(releaseIds_.at(i));
    }
    emit dataChanged(this->index(first, 0), this->index(last, 0));
    return true;
}

void ReleasesTableModel::load()
{
    beginResetModel();
    labels_ = releases_.labels();
    releaseIds_ = releases_.ids();
    checked_ = QList<bool>();
    for (int i = 0; i < releaseIds_.size(); ++i)
        checked_.append(false);
    selection_.clear();
    endResetModel();
}

} // namespace rivulet
