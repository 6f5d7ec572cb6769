#include "lum/ui/NavPanelModel.h"

#include "lum/ui/NavPanelItem.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QIcon>

namespace lum {

NavPanelModel::NavPanelModel(QObject* parent) : QAbstractItemModel(parent) {}

NavPanelItem* NavPanelModel::itemAt(const QModelIndex& index) const
{
    if (!index.isValid())
        return m_root;
    return static_cast<NavPanelItem*>(index.internalPointer());
}

QModelIndex NavPanelModel::indexOf(NavPanelItem* item) const
{
    if (!item || item == m_root)
        return {};
    return createIndex(item->row(), 0, item);
}

QModelIndex NavPanelModel::index(int row, int column, const QModelIndex& parent) const
{
    NavPanelItem* parentItem = itemAt(parent);
    if (!parentItem || column != 0)
        return {};
    NavPanelItem* child = parentItem->child(row);
    return child ? createIndex(row, 0, child) : QModelIndex();
}

QModelIndex NavPanelModel::parent(const QModelIndex& index) const
{
    if (!index.isValid())
        return {};
    NavPanelItem* parentItem = itemAt(index)->parentItem();
    if (!parentItem || parentItem == m_root)
        return {};
    return createIndex(parentItem->row(), 0, parentItem);
}

int NavPanelModel::rowCount(const QModelIndex& parent) const
{
    if (parent.column() > 0)
        return 0;
    NavPanelItem* item = itemAt(parent);
    return item ? item->childCount() : 0;
}

int NavPanelModel::columnCount(const QModelIndex&) const
{
    return 1;
}

QVariant NavPanelModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const NavPanelItem* item = itemAt(index);
    const NavPanelItem::Kind kind = item->kind();
    const bool enabled = item->isEnabled() && item->navEnabled();
    switch (role) {
    case Qt::DisplayRole:
        return item->name();
    case Qt::DecorationRole:
        if (item->isLocked())
            return QIcon(QStringLiteral(":/lumui/npm_locked.png"));
        if (item->isSelected())
            return QIcon(QStringLiteral(":/lumui/npm_selected.png"));
        if (item->isActive())
            return QIcon(QStringLiteral(":/lumui/npm_active.png"));
        if (kind == NavPanelItem::Kind::Report)
            return QIcon(QStringLiteral(":/lumui/npm_report.png"));
        if (kind == NavPanelItem::Kind::Plot)
            return QIcon(QStringLiteral(":/lumui/npm_plot.png"));
        return {};
    case Qt::ToolTipRole:
        return item->toolTip();
    case Qt::FontRole: {
        QFont font = item->font();
        if (kind == NavPanelItem::Kind::Plain || !item->isEnabled())
            font.setItalic(true);
        if (kind == NavPanelItem::Kind::Heading && item->isEnabled())
            font.setWeight(75);
        return font;
    }
    case Qt::ForegroundRole:
        if (kind == NavPanelItem::Kind::Heading || kind == NavPanelItem::Kind::Plain)
            return QBrush(Qt::black);
        return QBrush(enabled ? QColor(Qt::blue) : QColor(Qt::lightGray));
    default:
        return {};
    }
}

void NavPanelModel::announceReset(bool begin)
{
    if (begin)
        beginResetModel();
    else
        endResetModel();
}

void NavPanelModel::setItemSelected(NavPanelItem* item, bool selected)
{
    if (!item)
        return;
    item->setSelected(selected);
    const QModelIndex at = indexOf(item);
    emit dataChanged(at, at);
}

void NavPanelModel::setItemActive(NavPanelItem* item, bool active)
{
    if (!item)
        return;
    item->setActive(active);
    const QModelIndex at = indexOf(item);
    emit dataChanged(at, at);
}

} // namespace lum
