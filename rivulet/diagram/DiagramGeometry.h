#pragma once

#include "rivulet/summary/PathKey.h"

#include <QFont>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

namespace rivulet {

// Where the parts of a release diagram lie: detection sites as vertical bars side by side,
// migration years as rows of dots, one path per survival-and-movement parameter from a site
// and year to the next site and year. The window's scene (RivuletDiagram) places its items
// and the picture painter (DiagramPicture) draws with the same numbers, so both show the same
// drawing. Scene coordinates; site 0 (the first release site) gets no bar.
class DiagramGeometry
{
public:
    static constexpr double siteSpacing = 200.0;
    static constexpr double yearSpacing = 100.0;
    static constexpr double barWidth = 20.0;
    static constexpr double gap = 5.0;
    static constexpr double dotRadius = 2.0;
    static constexpr double firstDotOffset = 20.0;
    // Pixel size of year labels and path labels.
    static constexpr int labelPixelSize = 12;
    // The frame a text item keeps around its text.
    static constexpr double textMargin = 4.0;

    // `nameHeight`: height of a site's name label (the default font's line height).
    explicit DiagramGeometry(double nameHeight) : m_nameHeight(nameHeight) {}
    // With the default font.
    DiagramGeometry();

    static QFont labelFont();
    // The font of count texts: the default font, bold and italic.
    static QFont countFont();
    // Size of `text` in a text item with that font (frame included).
    static QSizeF textItemSize(const QString& text, const QFont& font);

    // Top-left of site i's item; the bar and dots are relative to it.
    static QPointF siteOrigin(int site) { return {site * siteSpacing, 0.0}; }
    QRectF barRect(int yearCount) const
    {
        return {0.0, m_nameHeight + gap, barWidth,
                (yearCount - 1) * yearSpacing + 2 * firstDotOffset};
    }
    QPointF dotCentre(int year) const
    {
        return {barWidth / 2, m_nameHeight + gap + firstDotOffset + year * yearSpacing};
    }
    // Scene y of the first row of dots.
    double firstRowY() const { return dotCentre(0).y(); }

    // Start of a path (the dot of the previous site in the upstream year) and its extent.
    QPointF pathStart(const PathKey& key) const
    {
        return {(key.site - 1) * siteSpacing + barWidth / 2,
                key.upstreamYear * yearSpacing + firstRowY()};
    }
    static QPointF pathExtent(const PathKey& key)
    {
        return {siteSpacing, (key.downstreamYear - key.upstreamYear) * yearSpacing};
    }
    // Top-left of a path's label relative to the path's start: centred along the line at
    // three quarters of its width, a horizontal path's label centred on the line.
    static QPointF labelOffset(const PathKey& key, const QSizeF& labelSize);
    // Top-left of a count text for year row `year` just right of site `site`'s bar, its
    // bottom on the row.
    QPointF countTextPos(int year, int site, const QSizeF& textSize) const
    {
        return {site * siteSpacing + barWidth + 3.0,
                year * yearSpacing + firstRowY() - textSize.height()};
    }

private:
    double m_nameHeight;
};

} // namespace rivulet
