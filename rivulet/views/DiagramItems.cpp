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
    : diagram_(diagram), name_(name), yearCount_(yearCount),
      nameLabel_(new QGraphicsSimpleTextItem(name, this))
{
    nameLabel_->setPos(DiagramGeometry::barWidth / 2 - nameLabel_->boundingRect().width() / 2, 0);
}

QRectF SiteGraphicsItem::boundingRect() const
{
    return diagram_.geometry().barRect(yearCount_).adjusted(-1, -1, 1, 1);
}

void SiteGraphicsItem::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    DiagramPicture::paintSite(*painter, diagram_.geometry(), yearCount_);
}

void SiteGraphicsItem::contextMenuEvent(QGraphicsSceneContextMenuEvent* event)
{
    diagram_.requestSiteContextMenu(name_, event->screenPos());
}

SingleYearGraphicsItem::SingleYearGraphicsItem(RivuletDiagram& diagram, const QString& text,
                                               QGraphicsItem* parent)
    : QGraphicsSimpleTextItem(text, parent), diagram_(diagram)
{
    setFont(DiagramGeometry::labelFont());
}

void SingleYearGraphicsItem::contextMenuEvent(QGraphicsSceneContextMenuEvent* event)
{
    diagram_.requestYearContextMenu(text(), event->screenPos());
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
    : QGraphicsTextItem(text, &path), path_(path)
{
    setAcceptHoverEvents(acceptHover);
}

void PathTextGraphicsItem::hoverEnterEvent(QGraphicsSceneHoverEvent* event)
{
    path_.setHovered(true);
    QGraphicsTextItem::hoverEnterEvent(event);
}

void PathTextGraphicsItem::hoverLeaveEvent(QGraphicsSceneHoverEvent* event)
{
    path_.setHovered(false);
    QGraphicsTextItem::hoverLeaveEvent(event);
}

PathGraphicsItem::PathGraphicsItem(RivuletDiagram& diagram, const PathKey& key, const QString& text,
                                   const QPen& pen, const QFont& font, bool acceptHover)
    : diagram_(diagram), key_(key), pen_(pen), font_(font), first_(new QGraphicsLineItem(this)),
      second_(new QGraphicsLineItem(this)),
      label_(new PathTextGraphicsItem(*this, text, acceptHover))
{
    label_->setDefaultTextColor(pen.color());
    setPos(diagram.geometry().pathStart(key));
    layout();
}

void PathGraphicsItem::layout()
{
    label_->setFont(font_);
    const QPointF extent = DiagramGeometry::pathExtent(key_);
    const QSizeF size = label_->boundingRect().size();
    const QPointF at = DiagramGeometry::labelOffset(key_, size);
    label_->setPos(at);
    const double slope = extent.y() / extent.x();
    const double left = at.x();
    const double right = at.x() + size.width();
    first_->setPen(pen_);
    second_->setPen(pen_);
    first_->setLine(QLineF(QPointF(0, 0), QPointF(left, left * slope)));
    second_->setLine(QLineF(QPointF(right, right * slope), extent));
}

void PathGraphicsItem::setHovered(bool hovered)
{
    pen_.setWidth(hovered ? 3 : 1);
    font_.setWeight(hovered ? QFont::Bold : QFont::Normal);
    layout();
    diagram_.pathHovered(key_, hovered);
}

} // namespace rivulet
