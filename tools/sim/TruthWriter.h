#pragma once

#include "tools/sim/SimRelease.h"

#include <QString>
#include <QVector>

class QTextStream;

namespace rivulet::sim {

class PositionMap;
class RiverLayout;
class TrueParameters;

// Writes truth.csv: one row per parameter of the branching model, over the
// same index space as the estimation (for every release, phi from the site
// below its release site on, p at every site before the final one, lambda),
// plus the removal shares by site and year. Lines starting with "#" are
// comments. Columns:
//   family        phi, p, lambda or removal
//   r, s, y1, y2  positions in the analysis when every site and year of the
//                 export is active (-1 where the family has no such index,
//                 or for a site or year that never occurs in the export)
//   release_site, release_year, site, year1, year2
//                 the same by site identifier and calendar year
//   value         the probability
// p uses y1 for its year; lambda names the final site; removal has no release.
class TruthWriter
{
public:
    TruthWriter(const RiverLayout& layout, const QVector<SimRelease>& releases,
                const TrueParameters& truth, const PositionMap& positions, int firstYear);

    void write(QTextStream& out, const QString& description) const;

private:
    void writeRow(QTextStream& out, const char* family, int r, int s, int y1, int y2,
                  double value) const;

    const RiverLayout& m_layout;
    const QVector<SimRelease>& m_releases;
    const TrueParameters& m_truth;
    const PositionMap& m_positions;
    int m_firstYear = 0;
};

} // namespace rivulet::sim
