#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QStringList>

namespace rivulet {

class StudyConfiguration;

// The cohorts of the age data, with at most one checked: the cohort the analysis is
// restricted to. Clicking the checked cohort unchecks it (every cohort takes part). Nothing
// is written until apply().
class ConfigCohortsTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    // `configuration` is borrowed and must outlive the model.
    explicit ConfigCohortsTableModel(StudyConfiguration& configuration, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    void load();
    bool hasChanges() const;
    void apply();

    int selectedRow() const { return selectedRow_; }

private:
    StudyConfiguration& configuration_;
    // Cohorts are named by number, as the headless tool's "cohort" command names them.
    QList<int> cohortNumbers_;
    QStringList labels_;
    int selectedRow_ = -1;
    int savedRow_ = -1;
};

} // namespace rivulet
