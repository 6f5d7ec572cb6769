#pragma once

#include "lum/core/Expected.h"

#include "rivulet/views/CheckListTableModel.h"

#include <QList>
#include <QStringList>

namespace rivulet {

class StudyConfiguration;

// The cohorts of the age data, with at most one checked: the cohort the analysis is
// restricted to. Clicking the checked cohort unchecks it (every cohort takes part). Nothing
// is written until apply().
class ConfigCohortsTableModel : public CheckListTableModel
{
    Q_OBJECT

public:
    // `configuration` is borrowed and must outlive the model.
    explicit ConfigCohortsTableModel(StudyConfiguration& configuration, QObject* parent = nullptr);

    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    void load();
    bool hasChanges() const;
    lum::Expected<void> apply();

    int selectedRow() const { return m_selectedRow; }

private:
    StudyConfiguration& m_configuration;
    // Cohorts are named by number, as the headless tool's "cohort" command names them.
    QList<int> m_cohortNumbers;
    int m_selectedRow = -1;
    int m_savedRow = -1;
};

} // namespace rivulet
