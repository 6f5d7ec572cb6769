#include "rivulet/views/RivuletDiagram.h"

#include "rivulet/data/SitesControllerI.h"
#include "rivulet/data/YearsControllerI.h"
#include "rivulet/views/DiagramItems.h"

#include <algorithm>

namespace rivulet {

RivuletDiagram::RivuletDiagram(const ReleasesControllerI& releases, const SitesControllerI& sites,
                               const YearsControllerI& years, int release, QObject* parent)
    : QGraphicsScene(parent), m_releases(releases), m_sites(sites), m_years(years),
      m_release(release)
{
    qRegisterMetaType<PathKey>();
}

void RivuletDiagram::build()
{
    clearPaths();
    clearTexts();
    clearSites();
    const QStringList names = m_sites.shortNames();
    const int yearCount = std::max(1, m_years.count());
    for (int i = 1; i < names.size(); ++i) {
        auto* site = new SiteGraphicsItem(*this, names.at(i), yearCount);
        addItem(site);
        site->setPos(DiagramGeometry::siteOrigin(i));
        m_siteItems.append(site);
    }
    m_yearsItem = new YearsGraphicsItem(*this, m_years.yearLabels());
    addItem(m_yearsItem);
}

PathGraphicsItem* RivuletDiagram::addPath(const PathKey& key, const QString& text, const QPen& pen,
                                          const QFont& font, bool acceptHover)
{
    auto* path = new PathGraphicsItem(*this, key, text, pen, font, acceptHover);
    addItem(path);
    m_paths.append(path);
    return path;
}

QGraphicsTextItem* RivuletDiagram::addText(int year, int site, const QString& text,
                                           const QColor& colour)
{
    auto* item = new QGraphicsTextItem(text);
    item->setFont(DiagramGeometry::countFont());
    item->setDefaultTextColor(colour);
    item->setPos(m_geometry.countTextPos(year, site, item->boundingRect().size()));
    QGraphicsScene::addItem(item);
    m_texts.append(item);
    return item;
}

void RivuletDiagram::clearPaths()
{
    qDeleteAll(m_paths);
    m_paths.clear();
}

void RivuletDiagram::clearTexts()
{
    qDeleteAll(m_texts);
    m_texts.clear();
}

void RivuletDiagram::clearSites()
{
    qDeleteAll(m_siteItems);
    m_siteItems.clear();
    delete m_yearsItem;
    m_yearsItem = nullptr;
}

PathGraphicsItem* RivuletDiagram::findPath(const PathKey& key) const
{
    for (PathGraphicsItem* path : m_paths) {
        if (path->key() == key)
            return path;
    }
    return nullptr;
}

void RivuletDiagram::requestSiteContextMenu(const QString& siteName, const QPoint& screenPos)
{
    emit siteContextMenuRequest(siteName, screenPos);
}

void RivuletDiagram::requestYearContextMenu(const QString& yearName, const QPoint& screenPos)
{
    emit yearContextMenuRequest(yearName, screenPos);
}

void RivuletDiagram::pathHovered(const PathKey& key, bool entered)
{
    if (entered)
        emit pathHoverEnterEvent(m_release, key);
    else
        emit pathHoverLeaveEvent(m_release);
}

} // namespace rivulet
