#include "tools/sim/TruthWriter.h"

#include "tools/sim/PositionMap.h"
#include "tools/sim/RiverLayout.h"
#include "tools/sim/TrueParameters.h"

#include <QTextStream>

namespace rivulet::sim {

TruthWriter::TruthWriter(const RiverLayout& layout, const QVector<SimRelease>& releases,
                         const TrueParameters& truth, const PositionMap& positions, int firstYear)
    : m_layout(layout), m_releases(releases), m_truth(truth), m_positions(positions),
      m_firstYear(firstYear)
{
}

void TruthWriter::write(QTextStream& out, const QString& description) const
{
    out << "# True parameter values of a simulated study: " << description << "\n"
        << "# phi: survival and movement from site s-1 in year1 to site s in year2 "
           "(year2 > year1: held over)\n"
        << "# p: detection at site s in year1; lambda: reaching the final site from the one "
           "above it in year1 and being detected there in year2\n"
        << "# removal: share of the fish detected at the site in year1 that were taken out\n"
        << "family,r,s,y1,y2,release_site,release_year,site,year1,year2,value\n";
    const int last = m_layout.finalPosition();
    const int Y = m_truth.yearCount();
    for (int r = 0; r < m_releases.size(); ++r) {
        const int rs = m_releases.at(r).site;
        const int ry = m_releases.at(r).year;
        for (int y2 = ry; y2 < Y; ++y2)
            writeRow(out, "phi", r, rs + 1, ry, y2, m_truth.phi(r, rs + 1, ry, y2));
        for (int s = rs + 2; s < last; ++s)
            for (int y1 = ry; y1 < Y; ++y1)
                for (int y2 = y1; y2 < Y; ++y2)
                    writeRow(out, "phi", r, s, y1, y2, m_truth.phi(r, s, y1, y2));
        const int lastFrom = rs == last - 1 ? ry : Y - 1;
        for (int y1 = ry; y1 <= lastFrom; ++y1)
            for (int y2 = y1; y2 < Y; ++y2)
                writeRow(out, "lambda", r, last, y1, y2, m_truth.lambda(r, y1, y2));
        for (int s = rs + 1; s < last; ++s)
            for (int y = ry; y < Y; ++y)
                writeRow(out, "p", r, s, y, -1, m_truth.capture(r, s, y));
    }
    for (int s = m_layout.releaseSiteCount(); s < last; ++s)
        for (int y = 0; y < Y; ++y)
            writeRow(out, "removal", -1, s, y, -1, m_truth.removal(s, y));
}

void TruthWriter::writeRow(QTextStream& out, const char* family, int r, int s, int y1, int y2,
                           double value) const
{
    auto yearPosition = [this](int y) { return y < 0 ? -1 : m_positions.yearPosition(y); };
    auto calendar = [this](int y) { return y < 0 ? QString() : QString::number(m_firstYear + y); };
    const SimRelease* release = r < 0 ? nullptr : &m_releases.at(r);
    out << family << ',' << r << ',' << m_positions.sitePosition(s) << ',' << yearPosition(y1)
        << ',' << yearPosition(y2) << ','
        << (release ? m_layout.site(release->site).name : QString()) << ','
        << (release ? calendar(release->year) : QString()) << ',' << m_layout.site(s).name << ','
        << calendar(y1) << ',' << calendar(y2) << ',' << QString::number(value, 'g', 10) << '\n';
}

} // namespace rivulet::sim
