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
    : releases_(releases), sites_(sites), rdb_(rdb)
{
}

DetectionSequenceController::~DetectionSequenceController() = default;

int DetectionSequenceController::update()
{
    const QList<int> ids = releases_.ids();
    sequences_.assign(static_cast<std::size_t>(ids.size()), DetectionSequence());
    positions_.clear();
    for (int i = 0; i < ids.size(); ++i)
        positions_.insert(ids.at(i), i);
    lastError_.clear();
    if (ids.isEmpty())
        return 0;

    const int cohortId = CohortsController(rdb_).activeCohortId();
    const int error = readRows(cohortId);
    if (error != 0)
        sequences_.assign(sequences_.size(), DetectionSequence());
    return error;
}

int DetectionSequenceController::readRows(int cohortId)
{
    DetectionSequenceWalker walker(sites_.count() - 1);
    DetectionHistoryReader reader(rdb_);
    const int error = reader.read(
        cohortId, [this, &walker](std::string_view code, int releaseId,
                                  const std::vector<DetectionHistoryReader::Row>& rows) {
            const int index = positions_.value(releaseId, -1);
            if (index < 0)
                return;
            DetectionSequence& target = sequences_[static_cast<std::size_t>(index)];
            const QString tag = QString::fromUtf8(code.data(), static_cast<int>(code.size()));
            if (rows.empty())
                walker.addRow(tag, false, 0, 0, 0, target);
            for (const DetectionHistoryReader::Row& row : rows)
                walker.addRow(tag, true, row.site, row.year, row.disposition, target);
        });
    lastError_ = reader.lastError();
    return error;
}

const DetectionSequence* DetectionSequenceController::sequenceOf(int releaseId) const
{
    const int index = positions_.value(releaseId, -1);
    return index < 0 ? nullptr : &sequences_[static_cast<std::size_t>(index)];
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
    for (const DetectionSequence& sequence : sequences_)
        count += sequence.size();
    return count;
}

} // namespace rivulet
