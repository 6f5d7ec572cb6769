#include "rivulet/diagram/DiagramGeometry.h"

#include <QFontMetricsF>

namespace rivulet {

DiagramGeometry::DiagramGeometry() : m_nameHeight(QFontMetricsF(QFont()).height()) {}

QFont DiagramGeometry::labelFont()
{
    QFont font;
    font.setPixelSize(labelPixelSize);
    return font;
}

QFont DiagramGeometry::countFont()
{
    QFont font;
    font.setWeight(QFont::Bold);
    font.setItalic(true);
    return font;
}

QSizeF DiagramGeometry::textItemSize(const QString& text, const QFont& font)
{
    const QFontMetricsF metrics(font);
    return {metrics.horizontalAdvance(text) + 2 * textMargin, metrics.height() + 2 * textMargin};
}

QPointF DiagramGeometry::labelOffset(const PathKey& key, const QSizeF& labelSize)
{
    const QPointF extent = pathExtent(key);
    const double x = 0.75 * extent.x() - labelSize.width() / 2;
    double y = x * extent.y() / extent.x();
    if (key.upstreamYear == key.downstreamYear)
        y -= labelSize.height() / 2;
    return {x, y};
}

} // namespace rivulet
