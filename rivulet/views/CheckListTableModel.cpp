#include "rivulet/views/CheckListTableModel.h"

#include <QFont>

namespace rivulet {

int CheckListTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_labels.size();
}

int CheckListTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 1;
}

QVariant CheckListTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Vertical)
        return {};
    if (role == Qt::DisplayRole)
        return m_labels.value(section);
    if (role == Qt::FontRole) {
        QFont font;
        font.setWeight(QFont::Bold);
        return font;
    }
    return {};
}

Qt::ItemFlags CheckListTableModel::flags(const QModelIndex& index) const
{
    return QAbstractTableModel::flags(index) | Qt::ItemIsUserCheckable;
}

} // namespace rivulet
