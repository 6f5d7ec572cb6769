#pragma once

#include <QAbstractTableModel>
#include <QStringList>

namespace rivulet {

// One column of check boxes, one row per label, the labels as bold row headings: what the
// releases and cohorts choices have in common. Subclasses keep the checks and answer data()
// and setData().
class CheckListTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

protected:
    QStringList m_labels;
};

} // namespace rivulet
