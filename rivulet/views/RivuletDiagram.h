#pragma once

#include "rivulet/diagram/DiagramGeometry.h"
#include "rivulet/summary/PathKey.h"

#include <QColor>
#include <QGraphicsScene>
#include <QList>
#include <QPen>

class QGraphicsTextItem;

namespace rivulet {

class PathGraphicsItem;
class ReleasesControllerI;
class SiteGraphicsItem;
class SitesControllerI;
class YearsControllerI;
class YearsGraphicsItem;

// The diagram of one release in the window: the detection sites as bars side by side, the
// migration years as rows, and paths from a site and year to the next site and year, each
// with a label. The "Graphical Results" window labels the paths with estimates, the sites and
// years configuration view with counts. Geometry and painting are DiagramGeometry's and
// DiagramPicture's, which also draw the headless tool's pictures. Items are owned by the scene.
class RivuletDiagram : public QGraphicsScene
{
    Q_OBJECT

public:
    // The controllers are borrowed. `release`: the release position, -1 for pooled releases.
    RivuletDiagram(const ReleasesControllerI& releases, const SitesControllerI& sites,
                   const YearsControllerI& years, int release, QObject* parent = nullptr);

    int releaseIndex() const { return m_release; }
    const DiagramGeometry& geometry() const { return m_geometry; }

    // Site bars and year labels from the controllers; removes everything drawn before.
    void build();
    PathGraphicsItem* addPath(const PathKey& key, const QString& text, const QPen& pen,
                              const QFont& font, bool acceptHover);
    // A bold italic count just right of site `site`'s bar on year row `year`.
    QGraphicsTextItem* addText(int year, int site, const QString& text, const QColor& colour);
    void clearPaths();
    void clearTexts();
    void clearSites();
    PathGraphicsItem* findPath(const PathKey& key) const;
    const QList<PathGraphicsItem*>& paths() const { return m_paths; }
    const QList<QGraphicsTextItem*>& texts() const { return m_texts; }

    // Called by the items.
    void requestSiteContextMenu(const QString& siteName, const QPoint& screenPos);
    void requestYearContextMenu(const QString& yearName, const QPoint& screenPos);
    void pathHovered(const PathKey& key, bool entered);

signals:
    void dataChanged();
    void siteContextMenuRequest(const QString& siteName, QPoint pos);
    void yearContextMenuRequest(const QString& yearName, QPoint pos);
    void pathHoverEnterEvent(int release, rivulet::PathKey key);
    void pathHoverLeaveEvent(int release);

private:
    const ReleasesControllerI& m_releases;
    const SitesControllerI& m_sites;
    const YearsControllerI& m_years;
    int m_release;
    DiagramGeometry m_geometry;
    QList<SiteGraphicsItem*> m_siteItems;
    QList<PathGraphicsItem*> m_paths;
    QList<QGraphicsTextItem*> m_texts;
    YearsGraphicsItem* m_yearsItem = nullptr;
};

} // namespace rivulet
