#include "tools/sim/StudySimulator.h"

#include "tools/sim/AgeWriter.h"
#include "tools/sim/BufferedFile.h"
#include "tools/sim/CivilTime.h"
#include "tools/sim/ObservationWriter.h"
#include "tools/sim/PositionMap.h"
#include "tools/sim/Random.h"
#include "tools/sim/SitesConfigWriter.h"
#include "tools/sim/TruthWriter.h"

#include <QDir>
#include <QFile>
#include <QTextStream>

#include <cmath>

namespace rivulet::sim {

namespace {
constexpr double UpstreamShare = 0.01;      // fish that swim up to the headwaters array first
constexpr double TransportSeenShare = 0.06; // transported fish caught later in the trawl
constexpr double AdultShare = 0.03;         // migrants that come back as adults

// A standard normal draw (Box-Muller), from the portable uniform numbers.
double normal(Random& random)
{
    const double u = 1.0 - random.uniform(); // in (0, 1]
    const double v = random.uniform();
    return std::sqrt(-2.0 * std::log(u)) * std::cos(2.0 * 3.14159265358979323846 * v);
}

// A bijection on 32 bits, so distinct serial numbers give distinct tag codes.
quint32 scramble(quint32 x)
{
    x ^= x >> 16;
    x *= 0x7feb352dU;
    x ^= x >> 15;
    x *= 0x846ca68bU;
    x ^= x >> 16;
    return x;
}

void tagCode(std::string& out, quint32 serial, quint64 seed)
{
    static const char hex[] = "0123456789ABCDEF";
    const quint32 salt = static_cast<quint32>(seed * 0x9E3779B97F4A7C15ULL >> 32);
    const quint32 value = scramble(serial + salt);
    out = "3D9.1C";
    for (int shift = 28; shift >= 0; shift -= 4)
        out += hex[(value >> shift) & 0xF];
}

int hitCount(Random& random)
{
    const double u = random.uniform();
    return u < 0.6 ? 1 : (u < 0.9 ? 2 : 3);
}
} // namespace

StudySimulator::StudySimulator(const StudyDesign& design)
    : m_design(design), m_layout(design), m_releases(planReleases(design, m_layout)),
      m_truth(design, m_layout, m_releases), m_path(m_layout, m_truth, design.firstYear)
{
    m_history.reserve(static_cast<size_t>(m_layout.siteCount()));
}

QVector<SimRelease> StudySimulator::planReleases(const StudyDesign& design,
                                                 const RiverLayout& layout)
{
    // In down-river order of the release sites, then by year: the order of
    // the releases in the analysis.
    QVector<SimRelease> releases;
    for (int site = 0; site < layout.releaseSiteCount(); ++site) {
        for (int year = 0; year < design.releaseYears; ++year) {
            SimRelease release;
            release.site = site;
            release.year = year;
            const qint64 first = CivilTime::fromDateTime(design.firstYear + year, 3, 28, 9, 0, 0) +
                                 (site * 3 % 21) * CivilTime::Day + (site % 4) * 5400 + year * 1200;
            for (int event = 0; event < 3; ++event)
                release.times << first + event * 2 * CivilTime::Day + event * 2700;
            releases << release;
        }
    }
    return releases;
}

QString StudySimulator::description() const
{
    QString text = QString("seed %1; %2 release sites x %3 release years; %4 migration years "
                           "from %5; %6 detection sites; %7 fish per release")
                       .arg(m_design.seed)
                       .arg(m_design.releaseSites)
                       .arg(m_design.releaseYears)
                       .arg(m_design.years)
                       .arg(m_design.firstYear)
                       .arg(m_design.detectionSites)
                       .arg(m_design.fishPerRelease);
    if (m_design.firstReachHoldOver)
        text += QString("; first-reach hold-over %1").arg(*m_design.firstReachHoldOver);
    if (m_design.sparseReleaseFish)
        text += QString("; %1 fish in the last release").arg(*m_design.sparseReleaseFish);
    if (m_design.batches > 1 && (m_design.batchSpread > 0.0 || m_design.batchDetectionSpread > 0.0))
        text += QString("; %1 batches per release, survival spread %2, detection spread %3 "
                        "(logit)")
                    .arg(m_design.batches)
                    .arg(m_design.batchSpread)
                    .arg(m_design.batchDetectionSpread);
    return text;
}

lum::Expected<void>
StudySimulator::writeText(const QString& path, const QString& what,
                          const std::function<lum::Expected<void>(QTextStream&)>& body) const
{
    QFile file(path);
    const auto failed = [&] {
        return lum::Error(lum::JobError::File,
                          "Unable to write the " + what + " \"" + path + "\":", file.errorString(),
                          path);
    };
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return failed();
    QTextStream out(&file);
    if (lum::Expected<void> written = body(out); !written)
        return written;
    out.flush();
    // The file's own buffer is written only here; its failure would be lost in the destructor.
    if (out.status() != QTextStream::Ok || !file.flush())
        return failed();
    return {};
}

lum::Expected<StudySummary> StudySimulator::run(const QString& directory, bool writeCounts)
{
    if (!QDir().mkpath(directory))
        return lum::Error(lum::JobError::File, "Unable to create the folder \"" + directory + "\"",
                          QString(), directory);
    const QDir dir(directory);
    SitesConfigWriter config(m_layout);
    if (lum::Expected<void> written = config.write(dir.filePath(ConfigFile)); !written)
        return written.error();

    BufferedFile observationFile(dir.filePath(ObservationsFile));
    BufferedFile ageFile(dir.filePath(AgesFile));
    for (BufferedFile* file : {&observationFile, &ageFile}) {
        if (!file->open())
            return lum::Error(lum::JobError::File, "Unable to write " + file->errorString());
    }
    Random random(m_design.seed);
    ObservationWriter observations(observationFile);
    AgeWriter ages(ageFile);
    NextDetectionCounts counts(m_releases.size(), m_layout.siteCount(), m_layout.releaseSiteCount(),
                               m_design.years);
    PositionMap positions(m_layout.siteCount(), m_design.years);
    StudySummary result;
    result.releases = m_releases.size();
    Run state{random, observations, ages, counts, positions, result};

    observations.writeHeader();
    ages.writeHeader();
    quint32 serial = 0;
    for (int r = 0; r < m_releases.size(); ++r) {
        const int fishCount = m_design.fishOfRelease(r, m_releases.size());
        const bool batched = m_design.batches > 1 &&
                             (m_design.batchSpread > 0.0 || m_design.batchDetectionSpread > 0.0);
        int batch = -1;
        double shift = 0.0;
        double detectionShift = 0.0;
        for (int fish = 0; fish < fishCount; ++fish) {
            // Drawn only for batched designs, so that others keep their sequence of numbers.
            const int fishBatch =
                batched ? static_cast<int>(static_cast<qint64>(fish) * m_design.batches / fishCount)
                        : 0;
            if (batched && fishBatch != batch) {
                batch = fishBatch;
                shift = m_design.batchSpread * normal(random);
                detectionShift = m_design.batchDetectionSpread * normal(random);
            }
            writeFish(state, r, serial++, shift, detectionShift);
        }
    }
    for (BufferedFile* file : {&observationFile, &ageFile}) {
        if (!file->close())
            return lum::Error(lum::JobError::File, "Unable to write " + file->errorString());
    }
    result.rows = observations.rows();
    result.detectionRows = observations.detectionRows();
    result.observationBytes = observationFile.bytesWritten();
    result.sites = positions.siteCount();
    result.years = positions.yearCount();

    const TruthWriter truth(m_layout, m_releases, m_truth, positions, m_design.firstYear);
    if (lum::Expected<void> written = writeText(dir.filePath(TruthFile), "true values",
                                                [&](QTextStream& out) {
                                                    truth.write(out, description());
                                                    return lum::Expected<void>();
                                                });
        !written)
        return written.error();
    if (writeCounts) {
        if (lum::Expected<void> written = writeText(
                dir.filePath(CountsFile), "counts",
                [&](QTextStream& out) { return counts.write(out, m_releases, positions); });
            !written)
            return written.error();
    }
    return result;
}

void StudySimulator::writeFish(Run& run, int r, quint32 serial, double survivalShift,
                               double detectionShift)
{
    const SimRelease& release = m_releases.at(r);
    const SimSite& site = m_layout.site(release.site);
    Random& random = run.random;
    const qint64 releaseTime =
        release.times.at(random.below(release.times.size())) + random.below(40) * 60;
    const double ageDraw = random.uniform();
    const int age = ageDraw < 0.05 ? 0 : (ageDraw < 0.85 ? 1 : 2);
    static const int lengthBase[] = {60, 85, 120};
    const int length = lengthBase[age] + random.below(age == 1 ? 55 : 40);

    ObservationWriter::Tag tag;
    tagCode(m_tag, serial, m_design.seed);
    tag.code = m_tag;
    tag.markTime = releaseTime - (14 + random.below(47)) * CivilTime::Day;
    tag.releaseTime = releaseTime;
    tag.markFile = QString("%1%2.TAG")
                       .arg(site.name)
                       .arg((m_design.firstYear + release.year) % 100, 2, 10, QChar('0'))
                       .toLatin1();
    tag.speciesRunRear = release.site % 2 ? "11W" : "11H";
    tag.lengthMm = length;
    if (random.chance(0.6))
        tag.weightTenths = qMax(1, static_cast<int>(1e-4 * length * length * length));
    tag.releaseSite = site.name.toLatin1();
    tag.releaseKm = site.riverKm.toLatin1();
    run.observations.beginTag(tag);
    run.observations.writeMark();
    run.positions.markSite(release.site);
    run.positions.markYear(release.year);
    ++run.summary.fish;

    m_path.simulate(r, release, releaseTime, random, survivalShift, detectionShift);
    writeHits(run, releaseTime);
    run.counts.addFish(r, m_history.data(), static_cast<int>(m_history.size()));
    run.ages.write(m_tag, releaseTime, age, random);
}

// Writes the fish's hits in time order: an early visit to the headwaters
// array (which the loader drops, as it lies above the release site), the
// detections of its migration, then a trawl catch after transport or an
// adult return (which the export flags as a row to ignore).
void StudySimulator::writeHits(Run& run, qint64 releaseTime)
{
    if (run.random.chance(UpstreamShare))
        writeUpstreamVisit(run, releaseTime);
    m_history.clear();
    for (const FishPath::Passage& passage : m_path.passages())
        if (passage.detected)
            writePassage(run, passage);
    const int last = m_layout.finalPosition();
    const bool removed =
        !m_history.empty() && m_history.back().ends && m_history.back().site != last;
    if (m_history.empty())
        ++run.summary.neverDetected;
    if (removed) {
        ++run.summary.removed;
        writeTrawlCatch(run, m_path.passages().back());
    } else if (!m_path.passages().empty()) {
        writeAdultReturn(run, m_path.passages().back());
    }
}

void StudySimulator::writeUpstreamVisit(Run& run, qint64 releaseTime)
{
    const SimSite& array = m_layout.upstreamArray();
    const SiteCode& code = array.codeRules.first();
    ObservationWriter::Hit hit;
    hit.siteKm = array.riverKm.toLatin1();
    hit.time = releaseTime + 3600 + run.random.below(12 * 3600);
    hit.code = code.name().toLatin1();
    hit.coil = code.pickCoil(true, hit.time, run.random);
    run.observations.writeHit(hit);
}

// Transported fish are let go below the last dam, and a few of them are
// caught in the trawl: a stored detection that is no longer part of the
// fish's history.
void StudySimulator::writeTrawlCatch(Run& run, const FishPath::Passage& removal)
{
    if (m_layout.site(removal.site).role != SimSite::Role::Dam ||
        !run.random.chance(TransportSeenShare))
        return;
    const int last = m_layout.finalPosition();
    const SimSite& trawl = m_layout.site(last);
    ObservationWriter::Hit hit;
    hit.siteKm = trawl.riverKm.toLatin1();
    hit.time = removal.time + (2 + run.random.below(3)) * CivilTime::Day + run.random.below(3600);
    hit.code = trawl.juvenileCodes.first().toLatin1();
    hit.coil = trawl.plainCoils.first().toLatin1();
    run.observations.writeHit(hit);
    run.positions.markSite(last);
    run.positions.markYear(removal.year);
}

// A migrant that got past the first dam may come back up its ladder as an
// adult two years later.
void StudySimulator::writeAdultReturn(Run& run, const FishPath::Passage& lastPassage)
{
    const int firstDam = m_layout.releaseSiteCount() + 1;
    if (lastPassage.site < firstDam || firstDam >= m_layout.finalPosition() ||
        !run.random.chance(AdultShare))
        return;
    const SimSite& dam = m_layout.site(firstDam);
    ObservationWriter::Hit hit;
    hit.siteKm = dam.riverKm.toLatin1();
    hit.time = CivilTime::fromDate(m_design.firstYear + lastPassage.year + 2, 6, 10) +
               run.random.below(40 * 86400);
    hit.code = dam.adultCode.toLatin1();
    hit.coil = dam.rulesFor(dam.adultCode)->pickCoil(true, hit.time, run.random);
    hit.adult = true;
    run.observations.writeHit(hit);
}

// The hits of one detected passage: one to three antennas of one site code;
// when the fish was taken out, the last hit is on an antenna that says so.
void StudySimulator::writePassage(Run& run, const FishPath::Passage& passage)
{
    Random& random = run.random;
    const SimSite& site = m_layout.site(passage.site);
    const bool final = passage.site == m_layout.finalPosition();
    const SiteCode* rules = nullptr;
    QString codeName = site.juvenileCodes.first();
    if (!final) {
        for (const QString& code : site.juvenileCodes) {
            const SiteCode* candidate = site.rulesFor(code);
            if (!candidate || !candidate->hasCoil(!passage.removed, passage.time))
                continue;
            if (!rules || (!passage.removed && random.chance(0.3))) {
                rules = candidate;
                codeName = code;
            }
        }
    }
    if (!final && !rules)
        return; // no antenna reports this route: the passage goes unrecorded
    const int hits = final ? 1 + random.below(2) : hitCount(random);
    ObservationWriter::Hit hit;
    hit.eventType =
        codeName.endsWith('T') && site.role == SimSite::Role::Trap ? "Recapture" : "Observation";
    hit.siteKm = site.riverKm.toLatin1();
    hit.code = codeName.toLatin1();
    hit.time = passage.time;
    for (int i = 0; i < hits; ++i) {
        hit.number = i + 1;
        const bool ending = passage.removed && i == hits - 1;
        if (!rules)
            hit.coil = site.plainCoils.at(random.below(site.plainCoils.size())).toLatin1();
        else if (ending || rules->hasCoil(true, hit.time))
            hit.coil = rules->pickCoil(!ending, hit.time, random);
        else
            continue; // no antenna before the removal one on this code
        run.observations.writeHit(hit);
        hit.time += 2 + random.below(18);
    }
    run.positions.markSite(passage.site);
    run.positions.markYear(passage.year);
    NextDetectionCounts::Entry entry;
    entry.site = passage.site;
    entry.year = passage.year;
    entry.ends = passage.removed || final;
    m_history.push_back(entry);
}

} // namespace rivulet::sim
