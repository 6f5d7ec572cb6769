#include "rivulet/counts/DataUpdater.h"

#include "lum/db/DbTransaction.h"
#include "rivulet/counts/NextDetectionsI.h"
#include "rivulet/counts/TabulatedNextDetections.h"
#include "rivulet/data/ControllerI.h"
#include "rivulet/data/DerivedDataStore.h"
#include "rivulet/data/DetectionSequenceController.h"

#include <utility>

namespace rivulet {

DataUpdater::DataUpdater(ControllerI& releases, ControllerI& sites, ControllerI& years,
                         DetectionSequenceController* sequences, NextDetectionsI& counts,
                         lum::ThreadRunner* runner, QObject* parent)
    : lum::ThreadRunnable(runner, parent), m_releases(releases), m_sites(sites), m_years(years),
      m_sequences(sequences), m_counts(counts)
{
}

DataUpdater::~DataUpdater() = default;

void DataUpdater::keepCountsIn(const DerivedDataStore* store, TabulatedNextDetections* counts)
{
    m_store = store;
    m_storedCounts = counts;
}

void DataUpdater::addRefreshStep(std::function<void()> step)
{
    m_refreshSteps.push_back(std::move(step));
}

void DataUpdater::run()
{
    clearError();
    QByteArray fingerprint;
    const bool derived = readAndDerive(fingerprint);
    // Stored only after the read transaction has ended; the store checks in its own write
    // transaction that the data are still those the fingerprint was taken of.
    if (derived && !fingerprint.isEmpty())
        m_store->save(fingerprint, m_storedCounts->tablesToBytes());
}

bool DataUpdater::readAndDerive(QByteArray& fingerprint)
{
    // The later steps (summary, catalogue) may read the database too.
    const lum::DbReadTransaction oneState(m_database);
    int done = 0;
    setNumSteps(static_cast<int>(m_refreshSteps.size()) + 3);
    // True when the update may go on to the next step.
    const auto stepDone = [this, &done] {
        setStep(++done);
        return !cancelRequested();
    };
    m_releases.refresh();
    m_sites.refresh();
    m_years.refresh();
    if (!stepDone())
        return false;
    const bool keep = m_store != nullptr && m_storedCounts != nullptr && m_sequences != nullptr;
    // Taken in the same state of the file as the histories are read in.
    const QByteArray current = keep ? m_store->fingerprint() : QByteArray();
    bool derived = false;
    if (keep && m_storedCounts->restoreTables(m_store->load(current))) {
        setStep(done += 2);
    } else {
        bool read = true;
        if (m_sequences != nullptr) {
            if (const lum::Expected<void> updated = m_sequences->update(); !updated) {
                fail(lum::JobError::Database,
                     QStringLiteral("Unable to read the detection histories: ") +
                         updated.error().text());
                read = false;
            }
        }
        if (!stepDone())
            return false;
        m_counts.update();
        derived = keep && read;
        if (!stepDone())
            return false;
    }
    for (const std::function<void()>& step : m_refreshSteps) {
        step();
        if (!stepDone())
            return false;
    }
    if (derived)
        fingerprint = current;
    return derived;
}

} // namespace rivulet
