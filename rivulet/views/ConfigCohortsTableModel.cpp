#include "rivulet/views/ConfigCohortsTableModel.h"

#include "rivulet/study/StudyConfiguration.h"

namespace rivulet {

ConfigCohortsTableModel::ConfigCohortsTableModel(StudyConfiguration& configuration, QObject* parent)
    : CheckListTableModel(parent), m_configuration(configuration)
{
}

QVariant ConfigCohortsTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || role != Qt::CheckStateRole)
        return {};
    return index.row() == m_selectedRow ? Qt::Checked : Qt::Unchecked;
}

bool ConfigCohortsTableModel::setData(const QModelIndex& index, const QVariant&, int role)
{
    if (role != Qt::CheckStateRole || !index.isValid() || index.row() >= m_labels.size())
        return false;
    const int previous = m_selectedRow;
    m_selectedRow = index.row() == m_selectedRow ? -1 : index.row();
    emit dataChanged(index, index);
    if (previous >= 0 && previous != index.row())
        emit dataChanged(this->index(previous, 0), this->index(previous, 0));
    return true;
}

void ConfigCohortsTableModel::load()
{
    beginResetModel();
    m_cohortNumbers = m_configuration.cohortNumbers();
    m_labels.clear();
    for (int number : m_cohortNumbers)
        m_labels.append(QString::number(number));
    const int active = m_configuration.activeCohortNumber();
    m_selectedRow = m_savedRow = active == 0 ? -1 : m_cohortNumbers.indexOf(active);
    endResetModel();
}

bool ConfigCohortsTableModel::hasChanges() const
{
    return m_selectedRow != m_savedRow;
}

lum::Expected<void> ConfigCohortsTableModel::apply()
{
    lum::Expected<void> written = m_selectedRow >= 0
                                      ? m_configuration.setCohort(m_cohortNumbers.at(m_selectedRow))
                                      : m_configuration.clearCohort();
    if (written)
        m_savedRow = m_selectedRow;
    return written;
}

} // namespace rivulet
