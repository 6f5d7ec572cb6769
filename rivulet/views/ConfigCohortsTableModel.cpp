#include "rivulet/views/ConfigCohortsTableModel.h"

#include "rivulet/study/StudyConfiguration.h"

namespace rivulet {

ConfigCohortsTableModel::ConfigCohortsTableModel(StudyConfiguration& configuration, QObject* parent)
    : CheckListTableModel(parent), configuration_(configuration)
{
}

QVariant ConfigCohortsTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || role != Qt::CheckStateRole)
        return {};
    return index.row() == selectedRow_ ? Qt::Checked : Qt::Unchecked;
}

bool ConfigCohortsTableModel::setData(const QModelIndex& index, const QVariant&, int role)
{
    if (role != Qt::CheckStateRole || !index.isValid() || index.row() >= labels_.size())
        return false;
    const int previous = selectedRow_;
    selectedRow_ = index.row() == selectedRow_ ? -1 : index.row();
    emit dataChanged(index, index);
    if (previous >= 0 && previous != index.row())
        emit dataChanged(this->index(previous, 0), this->index(previous, 0));
    return true;
}

void ConfigCohortsTableModel::load()
{
    beginResetModel();
    cohortNumbers_ = configuration_.cohortNumbers();
    labels_.clear();
    for (int number : cohortNumbers_)
        labels_.append(QString::number(number));
    const int active = configuration_.activeCohortNumber();
    selectedRow_ = savedRow_ = active == 0 ? -1 : cohortNumbers_.indexOf(active);
    endResetModel();
}

bool ConfigCohortsTableModel::hasChanges() const
{
    return selectedRow_ != savedRow_;
}

void ConfigCohortsTableModel::apply()
{
    savedRow_ = selectedRow_;
    if (selectedRow_ >= 0)
        configuration_.setCohort(cohortNumbers_.at(selectedRow_));
    else
        configuration_.clearCohort();
}

} // namespace rivulet
