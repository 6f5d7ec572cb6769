#include "rivulet/views/NextDetectionsTableModel.h"

#include "rivulet/counts/CountMatrix.h"
#include "rivulet/data/SitesControllerI.h"
#include "rivulet/data/YearsControllerI.h"

#include <QBrush>
#include <QFont>

namespace rivulet {

NextDetectionsTableModel::NextDetectionsTableModel(const SitesControllerI& sites,
                                                   const YearsControllerI& years, QObject* parent)
    : QAbstractTableModel(parent), m_sites(sites), m_years(years)
{
}

void NextDetectionsTableModel::refresh()
{
    beginResetModel();
    // Column c is site position c + 1: nothing is detected "next" at the first site.
    m_siteNames = m_sites.shortNames().mid(1);
    m_yearNames = m_years.yearLabels();
    m_counts = m_removed = nullptr;
    endResetModel();
}

void NextDetectionsTableModel::setCounts(const CountMatrix* counts, const CountMatrix* removed,
                                         int minSite, int minYear)
{
    beginResetModel();
    m_counts = counts;
    m_removed = removed;
    m_minSite = minSite;
    m_minYear = minYear;
    endResetModel();
}

int NextDetectionsTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_yearNames.size();
}

int NextDetectionsTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_siteNames.size();
}

QVariant NextDetectionsTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || !m_counts)
        return {};
    const int row = index.row();
    const int column = index.column();
    if (row >= m_minYear && column >= m_minSite) {
        const int count = m_counts->element(row, column);
        if (role == Qt::ToolTipRole && count != 0 && column < columnCount() - 1 && m_removed)
            return QStringLiteral("%1 fish next detected here, %2 of them removed here")
                .arg(count)
                .arg(m_removed->element(row, column));
        if (role != Qt::DisplayRole)
            return {};
        if (count != 0 && column < columnCount() - 1 && m_removed)
            return QString(QString::number(count) + QLatin1Char(':') +
                           QString::number(m_removed->element(row, column)));
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
        return orientation == Qt::Horizontal ? m_siteNames.value(section)
                                             : m_yearNames.value(section);
    return {};
}

} // namespace rivulet
