#pragma once

#include "rivulet/diagram/DiagramGeometry.h"
#include "rivulet/summary/PathKey.h"

#include <QColor>
#include <QImage>
#include <QList>
#include <QStringList>

#include <optional>

class QPainter;

namespace rivulet {

// One path of a diagram: its key, label and the colour and width of its pen.
struct DiagramPathSpec
{
    PathKey key;
    QString label;
    QColor colour = Qt::black;
    double width = 1.0;
};

// A count written just right of a site's bar on a year row.
struct DiagramCountSpec
{
    int year = 0;
    int site = 0;
    QString text;
    QColor colour = Qt::black;
};

// A release diagram drawn with QtGui alone: the picture the headless tool writes, and the
// painting the window's scene items share (paintSite). A highlighted path is drawn as a
// hovered one in the window: pen width 3 and a bold label.
//
//     DiagramPicture picture(sites.shortNames(), years.yearLabels());
//     picture.addPath({key, "0.8123"});
//     picture.toImage().save("diagram.png");
class DiagramPicture
{
public:
    DiagramPicture(const QStringList& siteNames, const QStringList& yearNames);

    void addPath(const DiagramPathSpec& path) { m_paths.append(path); }
    void addCount(const DiagramCountSpec& count) { m_counts.append(count); }
    void setHighlighted(std::optional<PathKey> key) { m_highlighted = key; }
    // An optional line drawn above the diagram.
    void setTitle(const QString& title) { m_title = title; }

    // Everything drawn, with a margin.
    QRectF sceneRect() const;
    void paint(QPainter& painter) const;
    // On a white background at the scene's natural size.
    QImage toImage() const;

    // The bar and dots of a site item, in item coordinates.
    static void paintSite(QPainter& painter, const DiagramGeometry& geometry, int yearCount);

private:
    void paintPath(QPainter& painter, const DiagramPathSpec& path) const;

    DiagramGeometry m_geometry;
    QStringList m_siteNames;
    QStringList m_yearNames;
    QList<DiagramPathSpec> m_paths;
    QList<DiagramCountSpec> m_counts;
    std::optional<PathKey> m_highlighted;
    QString m_title;
};

} // namespace rivulet
