#pragma once

#include <QVector>

namespace rivulet::sim {

// Which sites and years of the layout occur in the exported data, and so
// their positions in the analysis: a site or year without any stored row
// does not exist for the program that loads the export.
class PositionMap
{
public:
    PositionMap(int sites, int years);

    void markSite(int site);
    void markYear(int year);

    // Position in the analysis, -1 when absent from the data.
    int sitePosition(int site) const { return m_sitePositions.at(site); }
    int yearPosition(int year) const { return m_yearPositions.at(year); }
    int siteCount() const { return m_siteCount; }
    int yearCount() const { return m_yearCount; }
    // The layout index of the site or year at a position.
    int siteAt(int position) const { return m_sitesAt.at(position); }
    int yearAt(int position) const { return m_yearsAt.at(position); }

private:
    static void number(const QVector<bool>& present, QVector<int>& positions, QVector<int>& at,
                       int& count);

    QVector<bool> m_sites;
    QVector<bool> m_years;
    QVector<int> m_sitePositions;
    QVector<int> m_yearPositions;
    QVector<int> m_sitesAt;
    QVector<int> m_yearsAt;
    int m_siteCount = 0;
    int m_yearCount = 0;
};

} // namespace rivulet::sim
