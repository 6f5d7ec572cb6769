#include "rivulet/views/RivuletDiagram.h"

#include "rivulet/data/SitesControllerI.h"
#include "rivulet/data/YearsControllerI.h"
#include "rivulet/views/DiagramItems.h"

#include <algorithm>

namespace rivulet {

RivuletDiagram::RivuletDiagram(const ReleasesControllerI& releases, const SitesControllerI& sites,
                               const YearsControllerI& years, int release, QObject* parent)
    : QGraphicsScene(parent), releases_(releases), sites_(sites), years_(years), release_(release)
{
    qRegisterMetaType<PathKey>();
}

void RivuletDiagram::build()
{
    clearPaths();
    clearTexts();
    clearSites();
    const QStringList names = sites_.shortNames();
    const int yearCount = std::max(1, years_.count());
    for (int i = 1; i < names.size(); ++i) {
        auto* site = new SiteGraphicsItem(*this, names.at(i), yearCount);
        addItem(site);
        site->setPos(DiagramGeometry::siteOrigin(i));
        siteItems_.append(site);
    }
    yearsItem_ = new YearsGraphicsItem(*this, years_.yearLabels());
    addItem(yearsItem_);
}

PathGraphicsItem* RivuletDiagram::addPath(const PathKey& key, const QString& text, const QPen& pen,
                                          const QFont& font, bool acceptHover)
{
    auto* path = new PathGraphicsItem(*this, key, text, pen, font, acceptHover);
    addItem(path);
    paths_.append(path);
    return path;
}

QGraphicsTextItem* RivuletDiagram::addText(int year, int site, const QString& text,
                                           const QColor& colour)
{
    auto* item = new QGraphicsTextItem(text);
    item->setFont(DiagramGeometry::countFont());
    item->setDefaultTextColor(colour);
    item->setPos(geometry_.countTextPos(year, site, item->boundingRect().size()));
    QGraphicsScene::addItem(item);
    texts_.append(item);
    return item;
}

void RivuletDiagram::clearPaths()
{
    qDeleteAll(paths_);
    paths_.clear();
}

void RivuletDiagram::clearTexts()
{
    qDeleteAll(texts_);
    texts_.clear();
}

void RivuletDiagram::clearSites()
{
    qDeleteAll(siteItems_);
    siteItems_.clear();
    delete yearsItem_;
    yearsItem_ = nullptr;
}

PathGraphicsItem* RivuletDiagram::findPath(const PathKey& key) const
{
    for (PathGraphicsItem* path : paths_) {
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
        emit pathHoverEnterEvent(release_, key);
    else
        emit pathHoverLeaveEvent(release_);
}

} // namespace rivulet
