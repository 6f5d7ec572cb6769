#include "rivulet/views/DiagramItems.h"

#include "rivulet/diagram/DiagramPicture.h"
#include "rivulet/views/RivuletDiagram.h"

#include <QGraphicsLineItem>
#include <QGraphicsSceneContextMenuEvent>
#include <QPainter>
#include <QTextDocument>

#include <algorithm>

namespace rivulet {

SiteGraphicsItem::SiteGraphicsItem(RivuletDiagram& diagram, const QString& name, int yearCount)
    : m_diagram(diagram), m_name(name), m_yearCount(yearCount),
      m_nameLabel(new QGraphicsSimpleTextItem(name, this))
{
    m_nameLabel->setPos(DiagramGeometry::barWidth / 2 - m_nameLabel->boundingRect().width() / 2, 0);
}

QRectF SiteGraphicsItem::boundingRect() const
{
    return m_diagram.geometry().barRect(m_yearCount).adjusted(-1, -1, 1, 1);
}

void SiteGraphicsItem::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    DiagramPicture::paintSite(*painter, m_diagram.geometry(), m_yearCount);
}

void SiteGraphicsItem::contextMenuEvent(QGraphicsSceneContextMenuEvent* event)
{
    m_diagram.requestSiteContextMenu(m_name, event->screenPos());
}

SingleYearGraphicsItem::SingleYearGraphicsItem(RivuletDiagram& diagram, const QString& text,
                                               QGraphicsItem* parent)
    : QGraphicsSimpleTextItem(text, parent), m_diagram(diagram)
{
    setFont(DiagramGeometry::labelFont());
}

void SingleYearGraphicsItem::contextMenuEvent(QGraphicsSceneContextMenuEvent* event)
{
    m_diagram.requestYearContextMenu(text(), event->screenPos());
}

YearsGraphicsItem::YearsGraphicsItem(RivuletDiagram& diagram, const QStringList& years)
{
    double width = 0.0;
    double height = 0.0;
    for (int k = 0; k < years.size(); ++k) {
        auto* label = new SingleYearGraphicsItem(diagram, years.at(k), this);
        label->setPos(0, k * DiagramGeometry::yearSpacing);
        width = std::max(width, label->boundingRect().width());
        height = label->boundingRect().height();
    }
    setPos(-width - 4.0, diagram.geometry().firstRowY() - height / 2);
}

PathTextGraphicsItem::PathTextGraphicsItem(PathGraphicsItem& path, const QString& text,
                                           bool acceptHover)
    : QGraphicsTextItem(text, &path), m_path(path)
{
    setAcceptHoverEvents(acceptHover);
}

void PathTextGraphicsItem::hoverEnterEvent(QGraphicsSceneHoverEvent* event)
{
    m_path.setHovered(true);
    QGraphicsTextItem::hoverEnterEvent(event);
}

void PathTextGraphicsItem::hoverLeaveEvent(QGraphicsSceneHoverEvent* event)
{
    m_path.setHovered(false);
    QGraphicsTextItem::hoverLeaveEvent(event);
}

PathGraphicsItem::PathGraphicsItem(RivuletDiagram& diagram, const PathKey& key, const QString& text,
                                   const QPen& pen, const QFont& font, bool acceptHover)
    : m_diagram(diagram), m_key(key), m_pen(pen), m_font(font),
      m_first(new QGraphicsLineItem(this)), m_second(new QGraphicsLineItem(this)),
      m_label(new PathTextGraphicsItem(*this, text, acceptHover))
{
    m_label->setDefaultTextColor(pen.color());
    setPos(diagram.geometry().pathStart(key));
    layout();
}

void PathGraphicsItem::layout()
{
    m_label->setFont(m_font);
    const QPointF extent = DiagramGeometry::pathExtent(m_key);
    const QSizeF size = m_label->boundingRect().size();
    const QPointF at = DiagramGeometry::labelOffset(m_key, size);
    m_label->setPos(at);
    const double slope = extent.y() / extent.x();
    const double left = at.x();
    const double right = at.x() + size.width();
    m_first->setPen(m_pen);
    m_second->setPen(m_pen);
    m_first->setLine(QLineF(QPointF(0, 0), QPointF(left, left * slope)));
    m_second->setLine(QLineF(QPointF(right, right * slope), extent));
}

void PathGraphicsItem::setHovered(bool hovered)
{
    m_pen.setWidth(hovered ? 3 : 1);
    m_font.setWeight(hovered ? QFont::Bold : QFont::Normal);
    layout();
    m_diagram.pathHovered(m_key, hovered);
}

} // namespace rivulet
