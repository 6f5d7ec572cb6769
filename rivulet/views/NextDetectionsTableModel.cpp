#include "rivulet/views/NextDetectionsTableModel.h"

#include "rivulet/counts/CountMatrix.h"
#include "rivulet/data/SitesControllerI.h"
#include "rivulet/data/YearsControllerI.h"

#include <QBrush>
#include <QFont>

namespace rivulet {

NextDetectionsTableModel::NextDetectionsTableModel(const SitesControllerI& sites,
                                                   const YearsControllerI& years, QObject* parent)
    : QAbstractTableModel(parent), sites_(sites), years_(years)
{
}

void NextDetectionsTableModel::refresh()
{
    beginResetModel();
    // Column c is site position c + 1: nothing is detected "next" at the first site.
    siteNames_ = sites_.shortNames().mid(1);
    yearNames_ = years_.yearLabels();
    counts_ = removed_ = nullptr;
    endResetModel();
}

void NextDetectionsTableModel::setCounts(const CountMatrix* counts, const CountMatrix* removed,
                                         int minSite, int minYear)
{
    beginResetModel();
    counts_ = counts;
    removed_ = removed;
    minSite_ = minSite;
    minYear_ = minYear;
    endResetModel();
}

int NextDetectionsTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : yearNames_.size();
}

int NextDetectionsTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : siteNames_.size();
}

QVariant NextDetectionsTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || !counts_)
        return {};
    const int row = index.row();
    const int column = index.column();
    if (row >= minYear_ && column >= minSite_) {
        const int count = counts_->element(row, column);
        if (role == Qt::ToolTipRole && count != 0 && column < columnCount() - 1 && removed_)
            return QStringLiteral("%1 fish next detected here, %2 of them removed here")
                .arg(count)
                .arg(removed_->element(row, column));
        if (role != Qt::DisplayRole)
            return {};
        if (count != 0 && column < columnCount() - 1 && removed_)
            return QString(QString::number(count) + QLatin1Char(':') +
                           QString::number(removed_->element(row, column)));
        return QString::number(count);
    }
    switch (role) {
    case Qt::DisplayRole:
        return QStringLiteral("NA");
    case Qt::FontRole: {
        QFont font;
        font.setItalic(true);
        return font;
    }
    case Qt::ForegroundRole:
        return QBrush(Qt::lightGray);
    default:
        return {};
    }
}

QVariant NextDetectionsTableModel::headerData(int section, Qt::Orientation orientation,
                                              int role) const
{
    if (role == Qt::FontRole) {
        QFont font;
        font.setWeight(QFont::Bold);
        return font;
    }
    if (role == Qt::DisplayRole)
        return orientation == Qt::Horizontal ? siteNames_.value(section)
                                             : yearNames_.value(section);
    return {};
}

} // namespace rivulet
