#include "rivulet/views/ConfigReleasesTableModel.h"

#include "rivulet/study/StudyConfiguration.h"

namespace rivulet {

ConfigReleasesTableModel::ConfigReleasesTableModel(StudyConfiguration& configuration,
                                                   QObject* parent)
    : CheckListTableModel(parent), m_configuration(configuration)
{
}

QVariant ConfigReleasesTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || role != Qt::CheckStateRole || index.row() >= m_checked.size())
        return {};
    return m_checked.at(index.row()) ? Qt::Checked : Qt::Unchecked;
}

bool ConfigReleasesTableModel::setData(const QModelIndex& index, const QVariant&, int role)
{
    // A click toggles, whatever state the view asks for.
    if (role != Qt::CheckStateRole || !index.isValid() || index.row() >= m_checked.size())
        return false;
    m_checked[index.row()] = !m_checked.at(index.row());
    m_selection.clear();
    for (int i = 0; i < m_releaseIds.size(); ++i) {
        if (m_checked.at(i))
            m_selection.append(m_releaseIds.at(i));
    }
    emit dataChanged(index, index);
    return true;
}

void ConfigReleasesTableModel::load()
{
    beginResetModel();
    m_releaseIds.clear();
    m_labels.clear();
    m_checked.clear();
    for (const StudyConfiguration::ReleaseState& release : m_configuration.releaseStates()) {
        m_releaseIds.append(release.id);
        m_labels.append(release.label);
        m_checked.append(release.active);
    }
    m_savedSelection = m_selection = m_configuration.activeReleaseIds();
    endResetModel();
}

bool ConfigReleasesTableModel::hasChanges() const
{
    return m_selection != m_savedSelection;
}

lum::Expected<void> ConfigReleasesTableModel::apply()
{
    if (!hasChanges())
        return {};
    if (lum::Expected<void> written = m_configuration.setActiveReleases(m_selection); !written)
        return written;
    m_savedSelection = m_selection;
    return {};
}

} // namespace rivulet
