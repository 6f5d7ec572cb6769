#pragma once

#include "tools/sim/SimRelease.h"

#include <QVector>

namespace rivulet::sim {

class RiverLayout;
struct StudyDesign;

// The true values of the branching model of a simulated study, on the site
// positions of the river layout (release sites included) and the years of
// the study:
//   phi(r, s, y1, y2)  a fish of release r at site s-1 in year y1 survives to
//                      site s and passes it in year y2 (y2 > y1: it held over);
//   capture(r, s, y)   it is detected when passing site s in year y;
//   lambda(r, y1, y2)  from the last site before the final one in year y1 it
//                      reaches the final site and is detected there in year y2;
//   removal(s, y)      a fish detected at site s in year y is taken out there.
// Fish pass release sites below their own without any loss or delay: their
// whole first reach, hold-over included, is the move to the first detection site.
class TrueParameters
{
public:
    TrueParameters(const StudyDesign& design, const RiverLayout& layout,
                   const QVector<SimRelease>& releases);

    double phi(int r, int s, int y1, int y2) const { return m_phi.at(phiIndex(r, s, y1, y2)); }
    double capture(int r, int s, int y) const
    {
        return m_capture.at((r * m_sites + s) * m_years + y);
    }
    double lambda(int r, int y1, int y2) const
    {
        return m_lambda.at((r * m_years + y1) * m_years + y2);
    }
    double removal(int s, int y) const { return m_removal.at(s * m_years + y); }

    int releaseCount() const { return m_releases; }
    int siteCount() const { return m_sites; }
    int yearCount() const { return m_years; }

private:
    int phiIndex(int r, int s, int y1, int y2) const
    {
        return ((r * m_sites + s) * m_years + y1) * m_years + y2;
    }
    void setPhi(int r, int s, int y1, int y2, double value)
    {
        m_phi[phiIndex(r, s, y1, y2)] = value;
    }
    void fillRelease(int r, const SimRelease& release, const StudyDesign& design,
                     const RiverLayout& layout);
    void fillRemovals(const StudyDesign& design, const RiverLayout& layout);

    int m_releases = 0;
    int m_sites = 0;
    int m_years = 0;
    QVector<double> m_phi;
    QVector<double> m_capture;
    QVector<double> m_lambda;
    QVector<double> m_removal;
};

} // namespace rivulet::sim
