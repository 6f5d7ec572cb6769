#include "rivulet/views/ConfigReleasesTableModel.h"

#include "rivulet/study/StudyConfiguration.h"

namespace rivulet {

ConfigReleasesTableModel::ConfigReleasesTableModel(StudyConfiguration& configuration,
                                                   QObject* parent)
    : CheckListTableModel(parent), configuration_(configuration)
{
}

QVariant ConfigReleasesTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || role != Qt::CheckStateRole || index.row() >= checked_.size())
        return {};
    return checked_.at(index.row()) ? Qt::Checked : Qt::Unchecked;
}

bool ConfigReleasesTableModel::setData(const QModelIndex& index, const QVariant&, int role)
{
    // A click toggles, whatever state the view asks for.
    if (role != Qt::CheckStateRole || !index.isValid() || index.row() >= checked_.size())
        return false;
    checked_[index.row()] = !checked_.at(index.row());
    selection_.clear();
    for (int i = 0; i < releaseIds_.size(); ++i) {
        if (checked_.at(i))
            selection_.append(releaseIds_.at(i));
    }
    emit dataChanged(index, index);
    return true;
}

void ConfigReleasesTableModel::load()
{
    beginResetModel();
    releaseIds_.clear();
    labels_.clear();
    checked_.clear();
    for (const StudyConfiguration::ReleaseState& release : configuration_.releaseStates()) {
        releaseIds_.append(release.id);
        labels_.append(release.label);
        checked_.append(release.active);
    }
    savedSelection_ = selection_ = configuration_.activeReleaseIds();
    endResetModel();
}

bool ConfigReleasesTableModel::hasChanges() const
{
    return selection_ != savedSelection_;
}

void ConfigReleasesTableModel::apply()
{
    if (!hasChanges())
        return;
    savedSelection_ = selection_;
    configuration_.setActiveReleases(selection_);
}

} // namespace rivulet
