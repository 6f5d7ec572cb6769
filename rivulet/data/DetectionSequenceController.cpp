#include "rivulet/data/DetectionSequenceController.h"

#include "rivulet/data/CohortsController.h"
#include "rivulet/data/DetectionHistoryReader.h"
#include "rivulet/data/DetectionSequenceWalker.h"
#include "rivulet/data/ReleasesControllerI.h"
#include "rivulet/data/RivuletDb.h"
#include "rivulet/data/SitesControllerI.h"

#include <QSqlError>

namespace rivulet {

namespace {

const QList<int> noEntries;
const QStringList noTags;

} // namespace

DetectionSequenceController::DetectionSequenceController(const ReleasesControllerI& releases,
                                                         const SitesControllerI& sites,
                                                         RivuletDb& rdb)
    : m_releases(releases), m_sites(sites), m_rdb(rdb)
{
}

DetectionSequenceController::~DetectionSequenceController() = default;

lum::Expected<void> DetectionSequenceController::update()
{
    const QList<int> ids = m_releases.ids();
    m_sequences.assign(static_cast<std::size_t>(ids.size()), DetectionSequence());
    m_positions.clear();
    for (int i = 0; i < ids.size(); ++i)
        m_positions.insert(ids.at(i), i);
    if (ids.isEmpty())
        return {};

    const int cohortId = CohortsController(m_rdb).activeCohortId();
    lum::Expected<void> read = readRows(cohortId);
    if (!read)
        m_sequences.assign(m_sequences.size(), DetectionSequence());
    return read;
}

lum::Expected<void> DetectionSequenceController::readRows(int cohortId)
{
    DetectionSequenceWalker walker(m_sites.count() - 1);
    DetectionHistoryReader reader(m_rdb);
    return reader.read(
        cohortId, [this, &walker](std::string_view code, int releaseId,
                                  const std::vector<DetectionHistoryReader::Row>& rows) {
            const int index = m_positions.value(releaseId, -1);
            if (index < 0)
                return;
            DetectionSequence& target = m_sequences[static_cast<std::size_t>(index)];
            const QString tag = QString::fromUtf8(code.data(), static_cast<int>(code.size()));
            if (rows.empty())
                walker.addRow(tag, false, 0, 0, 0, target);
            for (const DetectionHistoryReader::Row& row : rows)
                walker.addRow(tag, true, row.site, row.year, row.disposition, target);
        });
}

const DetectionSequence* DetectionSequenceController::sequenceOf(int releaseId) const
{
    const int index = m_positions.value(releaseId, -1);
    return index < 0 ? nullptr : &m_sequences[static_cast<std::size_t>(index)];
}

QStringList DetectionSequenceController::tagIds(int releaseId) const
{
    const DetectionSequence* sequence = sequenceOf(releaseId);
    return sequence ? sequence->tagIds : noTags;
}

QList<int> DetectionSequenceController::sites(int releaseId) const
{
    const DetectionSequence* sequence = sequenceOf(releaseId);
    return sequence ? sequence->sites : noEntries;
}

QList<int> DetectionSequenceController::years(int releaseId) const
{
    const DetectionSequence* sequence = sequenceOf(releaseId);
    return sequence ? sequence->years : noEntries;
}

QList<int> DetectionSequenceController::dispositions(int releaseId) const
{
    const DetectionSequence* sequence = sequenceOf(releaseId);
    return sequence ? sequence->dispositions : noEntries;
}

int DetectionSequenceController::entryCount() const
{
    int count = 0;
    for (const DetectionSequence& sequence : m_sequences)
        count += sequence.size();
    return count;
}

} // namespace rivulet
