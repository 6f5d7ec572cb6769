#pragma once

#include "rivulet/diagram/DiagramGeometry.h"
#include "rivulet/summary/PathKey.h"

#include <QFont>
#include <QGraphicsItem>
#include <QGraphicsSimpleTextItem>
#include <QGraphicsTextItem>
#include <QPen>

class QGraphicsLineItem;

namespace rivulet {

class RivuletDiagram;

// A detection site: its name over a bar with one dot per year. A right-click asks the diagram
// for the site's context menu.
class SiteGraphicsItem : public QGraphicsItem
{
public:
    SiteGraphicsItem(RivuletDiagram& diagram, const QString& name, int yearCount);
    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;
    const QString& name() const { return m_name; }

protected:
    void contextMenuEvent(QGraphicsSceneContextMenuEvent* event) override;

private:
    RivuletDiagram& m_diagram;
    QString m_name;
    int m_yearCount;
    QGraphicsSimpleTextItem* m_nameLabel;
};

// One year label; a right-click asks the diagram for the year's context menu.
class SingleYearGraphicsItem : public QGraphicsSimpleTextItem
{
public:
    SingleYearGraphicsItem(RivuletDiagram& diagram, const QString& text, QGraphicsItem* parent);

protected:
    void contextMenuEvent(QGraphicsSceneContextMenuEvent* event) override;

private:
    RivuletDiagram& m_diagram;
};

// The year labels left of the diagram, each centred on its row of dots.
class YearsGraphicsItem : public QGraphicsItem
{
public:
    YearsGraphicsItem(RivuletDiagram& diagram, const QStringList& years);
    QRectF boundingRect() const override { return childrenBoundingRect(); }
    void paint(QPainter*, const QStyleOptionGraphicsItem*, QWidget*) override {}
};

class PathGraphicsItem;

// The label of a path; hovering it highlights the path.
class PathTextGraphicsItem : public QGraphicsTextItem
{
public:
    PathTextGraphicsItem(PathGraphicsItem& path, const QString& text, bool acceptHover);

protected:
    void hoverEnterEvent(QGraphicsSceneHoverEvent* event) override;
    void hoverLeaveEvent(QGraphicsSceneHoverEvent* event) override;

private:
    PathGraphicsItem& m_path;
};

// A path: two line segments around its label. Paints nothing itself.
class PathGraphicsItem : public QGraphicsItem
{
public:
    PathGraphicsItem(RivuletDiagram& diagram, const PathKey& key, const QString& text,
                     const QPen& pen, const QFont& font, bool acceptHover);
    QRectF boundingRect() const override { return childrenBoundingRect(); }
    void paint(QPainter*, const QStyleOptionGraphicsItem*, QWidget*) override {}

    const PathKey& key() const { return m_key; }
    PathTextGraphicsItem* label() const { return m_label; }
    QPen pen() const { return m_pen; }
    // Pen width 3 and a bold label while hovered.
    void setHovered(bool hovered);

private:
    void layout();

    RivuletDiagram& m_diagram;
    PathKey m_key;
    QPen m_pen;
    QFont m_font;
    QGraphicsLineItem* m_first;
    QGraphicsLineItem* m_second;
    PathTextGraphicsItem* m_label;
};

} // namespace rivulet
