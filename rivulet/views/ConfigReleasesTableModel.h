#pragma once

#include "lum/core/Expected.h"

#include "rivulet/views/CheckListTableModel.h"

#include <QList>
#include <QStringList>

namespace rivulet {

class StudyConfiguration;

// Every release of the study, active or not, with a check box that says whether it takes
// part. The release labels are the row headings; a click toggles the check. Nothing is
// written until apply().
class ConfigReleasesTableModel : public CheckListTableModel
{
    Q_OBJECT

public:
    // `configuration` is borrowed and must outlive the model.
    explicit ConfigReleasesTableModel(StudyConfiguration& configuration, QObject* parent = nullptr);

    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // The releases and their state as stored.
    void load();
    bool hasChanges() const;
    // Writes the checked releases, in list order, as the releases that take part.
    lum::Expected<void> apply();

    const QList<int>& selection() const { return m_selection; }

private:
    StudyConfiguration& m_configuration;
    QList<int> m_releaseIds;
    QList<bool> m_checked;
    QList<int> m_savedSelection;
    QList<int> m_selection;
};

} // namespace rivulet
