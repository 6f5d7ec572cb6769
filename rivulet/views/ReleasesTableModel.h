#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QStringList>

namespace rivulet {

class ReleasesControllerI;

// The active releases as a list of check boxes, for views that look at the counts of chosen
// releases. With single selection exactly one release stays checked.
class ReleasesTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    // `releases` is borrowed and must outlive the model.
    explicit ReleasesTableModel(const ReleasesControllerI& releases, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // The active releases of the controller, none checked.
    void load();
    void setSingleSelection(bool single) { m_singleSelection = single; }
    // Ids of the checked releases in list order.
    const QList<int>& selection() const { return m_selection; }

private:
    const ReleasesControllerI& m_releases;
    QStringList m_labels;
    QList<int> m_releaseIds;
    QList<bool> m_checked;
    QList<int> m_selection;
    bool m_singleSelection = false;
};

} // namespace rivulet
