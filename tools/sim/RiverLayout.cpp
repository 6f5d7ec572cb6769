#include "tools/sim/RiverLayout.h"

#include "tools/sim/CivilTime.h"

#include <algorithm>
#include <limits>

namespace rivulet::sim {

namespace {
constexpr int ConfluenceKm = 522; // where the tributary joins the main stem
constexpr int TrapKm = 28;        // tributary km of the trap
constexpr int FinalKm = 75;

struct DamName
{
    const char* id;
    const char* longName;
    const char* prefix;
};

const DamName DamNames[] = {
    {"HRD", "Heron Rapids Dam", "HR"}, {"MLD", "Mill Landing Dam", "ML"},
    {"OXD", "Oxbow Ridge Dam", "OX"},  {"CSD", "Cascade Slough Dam", "CS"},
    {"BFD", "Bonfield Dam", "BF"},     {"KTD", "Kestrel Dam", "KT"},
    {"WLD", "Willow Bar Dam", "WL"},   {"SPD", "Sand Point Dam", "SP"},
    {"GVD", "Grover Dam", "GV"},       {"TLD", "Tern Lake Dam", "TL"},
};

SiteCode::Rule rule(char letter, char stage, int number, const char* text, const char* coils)
{
    SiteCode::Rule r;
    r.letter = letter;
    r.stage = stage;
    r.number = number;
    r.text = text;
    r.coils = QString(coils).split(' ', Qt::SkipEmptyParts);
    return r;
}

SiteCode::Range range(qint64 begin, qint64 end, bool openEnd, QVector<SiteCode::Rule> rules)
{
    SiteCode::Range r;
    r.begin = begin;
    r.end = end;
    r.openEnd = openEnd;
    r.rules = std::move(rules);
    return r;
}

// One range from 1990 to the present.
SiteCode timeless(const QString& code, QVector<SiteCode::Rule> rules)
{
    return SiteCode(code,
                    {range(CivilTime::fromDate(1990, 1, 1), std::numeric_limits<qint64>::max(),
                           true, std::move(rules))},
                    {});
}

QString pad2(int n)
{
    return QString::number(n).rightJustified(2, '0');
}
} // namespace

RiverLayout::RiverLayout(const StudyDesign& design)
    : m_firstYear(design.firstYear), m_years(design.years)
{
    addReleaseSites(design);
    addUpstreamArray();
    addTrap();
    addDams(design);
    addFinalSite();
    collectBoundaries();
}

QString RiverLayout::configDate() const
{
    return QString("%1.1.15").arg(m_firstYear + m_years);
}

void RiverLayout::addReleaseSites(const StudyDesign& design)
{
    static const char* const named[][2] = {{"ALDUPR", "Alder Creek Upper Weir Release"},
                                           {"ALDMID", "Alder Creek Middle Release"},
                                           {"ALDPND", "Alder Creek Acclimation Pond"}};
    const int n = design.releaseSites;
    const int step = n <= 5 ? 30 : 8;
    m_topKm = 60 + step * (n - 1);
    for (int i = 0; i < n; ++i) {
        SimSite site;
        site.role = SimSite::Role::Release;
        if (n <= 3) {
            site.name = named[3 - n + i][0];
            site.longName = named[3 - n + i][1];
        } else {
            site.name = "ALDR" + pad2(i + 1);
            site.longName = QString("Alder Creek Release Site %1").arg(i + 1);
        }
        site.shortName = site.name;
        const int km = 60 + step * (n - 1 - i);
        site.riverKm = QString("%1.%2").arg(ConfluenceKm).arg(km);
        site.type = "release";
        site.huc = "17060209";
        site.distanceKm = m_topKm - km;
        m_sites << site;
    }
    m_releaseSites = n;
}

void RiverLayout::addUpstreamArray()
{
    m_upstream.role = SimSite::Role::Upstream;
    m_upstream.name = "ALDUPA";
    m_upstream.longName = "Alder Creek Headwaters Array";
    m_upstream.shortName = "ALDUPA";
    m_upstream.riverKm = QString("%1.%2").arg(ConfluenceKm).arg(m_topKm + 25);
    m_upstream.type = "instream";
    m_upstream.huc = "17060209";
    m_upstream.listedCodes = QStringList{"ALU"};
    m_upstream.codeRules << timeless("ALU", {rule('R', 'J', 1, "Instream array", "01 02 03")});
    m_upstream.juvenileCodes = QStringList{"ALU"};
}

void RiverLayout::addTrap()
{
    SimSite site;
    site.role = SimSite::Role::Trap;
    site.name = "ALDTRP";
    site.longName = "Alder Creek Rotary Screw Trap";
    site.shortName = "ALDTRP";
    site.riverKm = QString("%1.%2").arg(ConfluenceKm).arg(TrapKm);
    site.type = "trap";
    site.huc = "17060209";
    site.indicator = "J";
    site.stages = QStringList{"J"};
    site.listedCodes = QStringList{"ALA", "ALT"};
    site.codeRules << timeless("ALA", {rule('R', 'J', 1, "Instream array", "A1 A2 B1 B2")});
    // Fish caught in the trap are scanned by hand; a few are kept as samples.
    site.codeRules << timeless("ALT", {rule('R', 'J', 1, "Trap release", "01 02"),
                                       rule('S', 'J', 4, "Sample mortality", "HS")});
    site.juvenileCodes = QStringList{"ALA", "ALT"};
    site.distanceKm = m_topKm - TrapKm;
    site.canRemove = true;
    m_sites << site;
}

void RiverLayout::addDams(const StudyDesign& design)
{
    const int dams = design.detectionSites - 2;
    const int step = dams > 1 ? 330 / (dams - 1) : 0;
    const int lastYear = design.firstYear + design.years - 1;
    const int switchYear = std::min(design.firstYear + 1, lastYear);
    for (int i = 0; i < dams; ++i) {
        const int km = 470 - i * step;
        SimSite site;
        site.role = SimSite::Role::Dam;
        if (i < int(std::size(DamNames))) {
            site.name = DamNames[i].id;
            site.longName = DamNames[i].longName;
        } else {
            site.name = QString("D%1").arg(km);
            site.longName = QString("Main Stem Dam at km %1").arg(km);
        }
        const QString prefix =
            i < int(std::size(DamNames)) ? QString(DamNames[i].prefix) : QString("X%1").arg(i);
        site.shortName = site.name;
        site.riverKm = QString::number(km);
        site.riverKmAlt = QString::number(km + 2);
        site.type = "dam";
        site.huc = "17060103";
        site.stages = QStringList{"J", "A"};
        const QString bypass = prefix + "J", spill = prefix + "S", adult = prefix + "A";
        site.listedCodes = QStringList{bypass, spill, adult};
        site.juvenileCodes = QStringList{bypass, spill};
        site.adultCode = adult;
        site.canRemove = i < 3;
        if (site.canRemove) {
            // The transport dams rebuilt their raceways during the study, so their
            // coils mean different routes before and after a date.
            qint64 before = 0, after = 0;
            if (i == 1) {
                // Written as a date only, the old range ends at 23:59:50.
                after = CivilTime::fromDate(switchYear, 1, 1);
                before = after - 10;
            } else {
                before = i == 0 ? CivilTime::fromDateTime(switchYear, 5, 20, 12, 0, 0)
                                : CivilTime::fromDateTime(switchYear, 6, 2, 6, 30, 0);
                after = before + 1;
            }
            QVector<SiteCode::Range> ranges;
            ranges << range(CivilTime::fromDate(1990, 1, 1), before, false,
                            {rule('R', 'J', 1, "Return to river", "01 02 03 04"),
                             rule('B', 'J', 2, "Bypass outfall", "05 06"),
                             rule('T', 'J', 3, "Transport raceway", "21 22 23")});
            ranges << range(after, std::numeric_limits<qint64>::max(), true,
                            {rule('R', 'J', 1, "Return to river", "01 02 03 04 23"),
                             rule('B', 'J', 2, "Bypass outfall", "05 06"),
                             rule('T', 'J', 3, "Transport raceway", "21 22 24")});
            QVector<SiteCode::Exception> exceptions;
            if (i == 0) {
                // A week in which the outfall was closed and its fish were trucked.
                SiteCode::Exception e;
                e.begin = CivilTime::fromDate(design.firstYear, 5, 5);
                e.end = CivilTime::fromDateTime(design.firstYear, 5, 9, 16, 0, 0);
                e.rule = rule('T', 'J', 9, "Emergency transport", "05 06");
                exceptions << e;
            }
            site.codeRules << SiteCode(bypass, ranges, exceptions);
        } else {
            site.codeRules << timeless(bypass, {rule('R', 'J', 1, "Return to river", "01 02 03 04"),
                                                rule('B', 'J', 2, "Bypass outfall", "05 06")});
        }
        site.codeRules << timeless(spill, {rule('R', 'J', 1, "Spillway array", "31 32 33 34")});
        site.codeRules << timeless(adult, {rule('R', 'A', 1, "Adult ladder", "C1 C2")});
        site.distanceKm = m_topKm + (ConfluenceKm - km);
        m_sites << site;
    }
}

void RiverLayout::addFinalSite()
{
    SimSite site;
    site.role = SimSite::Role::Final;
    site.name = "ESTTRW";
    site.longName = "Lower River Estuary Trawl";
    site.shortName = "ESTTRW";
    site.riverKm = QString::number(FinalKm);
    site.riverKmAlt = "46";
    site.type = "trawl";
    site.huc = "17080006";
    site.listedCodes = QStringList{"TWX"};
    site.juvenileCodes = QStringList{"TWX"};
    site.plainCoils = QStringList{"01", "02"};
    site.distanceKm = m_topKm + (ConfluenceKm - FinalKm);
    m_sites << site;
}

void RiverLayout::collectBoundaries()
{
    auto collect = [this](const SimSite& site) {
        for (const SiteCode& code : site.codeRules) {
            for (const SiteCode::Range& r : code.ranges()) {
                m_boundaries << r.begin;
                if (!r.openEnd)
                    m_boundaries << r.end + 1;
            }
            for (const SiteCode::Exception& e : code.exceptions())
                m_boundaries << e.begin << e.end + 1;
        }
    };
    for (const SimSite& site : m_sites)
        collect(site);
    collect(m_upstream);
    std::sort(m_boundaries.begin(), m_boundaries.end());
    m_boundaries.erase(std::unique(m_boundaries.begin(), m_boundaries.end()), m_boundaries.end());
}

} // namespace rivulet::sim
