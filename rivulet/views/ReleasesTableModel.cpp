#include "rivulet/views/ReleasesTableModel.h"

#include "rivulet/data/ReleasesControllerI.h"

#include <QFont>

#include <algorithm>

namespace rivulet {

ReleasesTableModel::ReleasesTableModel(const ReleasesControllerI& releases, QObject* parent)
    : QAbstractTableModel(parent), m_releases(releases)
{
}

int ReleasesTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_labels.size();
}

int ReleasesTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 1;
}

QVariant ReleasesTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_labels.size())
        return {};
    if (role == Qt::CheckStateRole)
        return m_checked.at(index.row()) ? Qt::Checked : Qt::Unchecked;
    if (role == Qt::DisplayRole)
        return m_labels.at(index.row());
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
    if (role != Qt::CheckStateRole || !index.isValid() || index.row() >= m_checked.size())
        return false;
    const int row = index.row();
    int first = row;
    int last = row;
    if (m_singleSelection) {
        if (m_checked.at(row))
            return false;
        for (int i = 0; i < m_checked.size(); ++i) {
            if (m_checked.at(i) && i != row) {
                first = std::min(first, i);
                last = std::max(last, i);
            }
            m_checked[i] = i == row;
        }
    } else {
        m_checked[row] = !m_checked.at(row);
    }
    m_selection.clear();
    for (int i = 0; i < m_releaseIds.size(); ++i) {
        if (m_checked.at(i))
            m_selection.append(m_releaseIds.at(i));
    }
    emit dataChanged(this->index(first, 0), this->index(last, 0));
    return true;
}

void ReleasesTableModel::load()
{
    beginResetModel();
    m_labels = m_releases.labels();
    m_releaseIds = m_releases.ids();
    m_checked = QList<bool>();
    for (int i = 0; i < m_releaseIds.size(); ++i)
        m_checked.append(false);
    m_selection.clear();
    endResetModel();
}

} // namespace rivulet
