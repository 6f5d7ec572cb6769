#include "rivulet/diagram/DiagramPicture.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>

namespace rivulet {

namespace {
constexpr double margin = 10.0;
const QColor barColour(208, 208, 208);
} // namespace

DiagramPicture::DiagramPicture(const QStringList& siteNames, const QStringList& yearNames)
    : m_siteNames(siteNames), m_yearNames(yearNames)
{
}

QRectF DiagramPicture::sceneRect() const
{
    const QFontMetricsF years(DiagramGeometry::labelFont());
    double yearsWidth = 0.0;
    for (const QString& year : m_yearNames)
        yearsWidth = std::max(yearsWidth, years.horizontalAdvance(year));
    const int yearCount = std::max(1, int(m_yearNames.size()));
    const double right = std::max(1, int(m_siteNames.size()) - 1) * DiagramGeometry::siteSpacing +
                         DiagramGeometry::siteSpacing / 2;
    const QRectF bar = m_geometry.barRect(yearCount);
    const double titleHeight = m_title.isEmpty() ? 0.0 : QFontMetricsF(QFont()).height() * 2;
    return QRectF(-yearsWidth - margin, -margin - titleHeight, right + yearsWidth + 2 * margin,
                  bar.bottom() + 2 * margin + titleHeight);
}

void DiagramPicture::paintSite(QPainter& painter, const DiagramGeometry& geometry, int yearCount)
{
    painter.setPen(QPen(Qt::black));
    painter.setBrush(barColour);
    painter.drawRect(geometry.barRect(yearCount));
    painter.setBrush(Qt::black);
    for (int k = 0; k < yearCount; ++k) {
        painter.drawEllipse(geometry.dotCentre(k), DiagramGeometry::dotRadius,
                            DiagramGeometry::dotRadius);
    }
}

void DiagramPicture::paintPath(QPainter& painter, const DiagramPathSpec& path) const
{
    const bool hovered = m_highlighted && *m_highlighted == path.key;
    QFont font = DiagramGeometry::labelFont();
    if (hovered)
        font.setWeight(QFont::Bold);
    const QSizeF labelSize = DiagramGeometry::textItemSize(path.label, font);
    const QPointF start = m_geometry.pathStart(path.key);
    const QPointF extent = DiagramGeometry::pathExtent(path.key);
    const QPointF label = DiagramGeometry::labelOffset(path.key, labelSize);
    const double slope = extent.y() / extent.x();
    const double left = label.x();
    const double right = label.x() + labelSize.width();
    painter.setPen(QPen(path.colour, hovered ? 3.0 : path.width));
    painter.drawLine(start, start + QPointF(left, left * slope));
    painter.drawLine(start + QPointF(right, right * slope), start + extent);
    painter.setFont(font);
    painter.setPen(path.colour);
    const QRectF textRect(
        start + label + QPointF(DiagramGeometry::textMargin, DiagramGeometry::textMargin),
        labelSize - QSizeF(2 * DiagramGeometry::textMargin, 2 * DiagramGeometry::textMargin));
    painter.drawText(textRect, Qt::AlignLeft | Qt::AlignTop, path.label);
}

void DiagramPicture::paint(QPainter& painter) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const int yearCount = std::max(1, int(m_yearNames.size()));
    const QFont nameFont;
    const QFontMetricsF names(nameFont);
    if (!m_title.isEmpty()) {
        QFont titleFont;
        titleFont.setWeight(QFont::Bold);
        painter.setFont(titleFont);
        painter.setPen(Qt::black);
        painter.drawText(QPointF(sceneRect().left() + margin, -names.height()), m_title);
    }
    for (int i = 1; i < m_siteNames.size(); ++i) {
        painter.save();
        painter.translate(DiagramGeometry::siteOrigin(i));
        painter.setFont(nameFont);
        painter.setPen(Qt::black);
        const QString& name = m_siteNames.at(i);
        painter.drawText(QPointF(DiagramGeometry::barWidth / 2 - names.horizontalAdvance(name) / 2,
                                 names.ascent()),
                         name);
        paintSite(painter, m_geometry, yearCount);
        painter.restore();
    }
    const QFont yearFont = DiagramGeometry::labelFont();
    const QFontMetricsF years(yearFont);
    painter.setFont(yearFont);
    painter.setPen(Qt::black);
    for (int k = 0; k < m_yearNames.size(); ++k) {
        const double y = m_geometry.firstRowY() + k * DiagramGeometry::yearSpacing;
        painter.drawText(QPointF(-years.horizontalAdvance(m_yearNames.at(k)) - 4.0,
                                 y - years.height() / 2 + years.ascent()),
                         m_yearNames.at(k));
    }
    for (const DiagramPathSpec& path : m_paths)
        paintPath(painter, path);
    const QFont countFont = DiagramGeometry::countFont();
    painter.setFont(countFont);
    for (const DiagramCountSpec& count : m_counts) {
        const QSizeF size = DiagramGeometry::textItemSize(count.text, countFont);
        const QPointF at = m_geometry.countTextPos(count.year, count.site, size) +
                           QPointF(DiagramGeometry::textMargin, DiagramGeometry::textMargin);
        painter.setPen(count.colour);
        painter.drawText(QRectF(at, size), Qt::AlignLeft | Qt::AlignTop, count.text);
    }
    painter.restore();
}

QImage DiagramPicture::toImage() const
{
    const QRectF rect = sceneRect();
    QImage image(rect.size().toSize(), QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.translate(-rect.topLeft());
    paint(painter);
    return image;
}

} // namespace rivulet
