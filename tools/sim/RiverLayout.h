#pragma once

#include "tools/sim/SimSite.h"
#include "tools/sim/StudyDesign.h"

#include <QVector>

namespace rivulet::sim {

// The river of a simulated study: release sites in series on a tributary,
// an array above them, a trap lower on the tributary, dams on the main stem
// and a final site near the mouth. Sites are kept in down-river order, which
// is the order of their positions in the analysis: the release sites first,
// then the detection sites, the last being the final site.
class RiverLayout
{
public:
    explicit RiverLayout(const StudyDesign& design);

    const QVector<SimSite>& sites() const { return m_sites; }
    const SimSite& site(int position) const { return m_sites.at(position); }
    int siteCount() const { return m_sites.size(); }
    int releaseSiteCount() const { return m_releaseSites; }
    int finalPosition() const { return m_sites.size() - 1; }
    const SimSite& upstreamArray() const { return m_upstream; }

    // Every instant at which some antenna rule starts or stops applying.
    const QVector<qint64>& ruleBoundaries() const { return m_boundaries; }
    QString configDate() const;

private:
    void addReleaseSites(const StudyDesign& design);
    void addUpstreamArray();
    void addTrap();
    void addDams(const StudyDesign& design);
    void addFinalSite();
    void collectBoundaries();

    QVector<SimSite> m_sites;
    SimSite m_upstream;
    int m_releaseSites = 0;
    int m_topKm = 0;
    int m_firstYear = 2008;
    int m_years = 1;
    QVector<qint64> m_boundaries;
};

} // namespace rivulet::sim
