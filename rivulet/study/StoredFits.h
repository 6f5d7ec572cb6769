#pragma once

#include "lum/core/Expected.h"

#include <QByteArray>
#include <QString>

namespace rivulet {

class EstimationResults;
class ModelCatalogue;
class RivuletDb;

// Keeps the fitted models of a study in its database file, so that the file opened again shows
// its results without fitting again. What is kept is everything the result tables and reports
// are built from: per recorded model its scheme, ln L, AIC, estimates, covariance matrix and fit
// summary (how the fit ended, the block covariances, the estimates' statuses, the profile
// intervals); the reasons noted for the models that were not recorded; and the ĉ the results
// were fitted with. The parameter structures are not kept: applying the model to the study's
// structure again gives them, and a count of free parameters that no longer matches the
// estimates means the fits are stale.
//
// Fits belong to the data they were fitted on. They are stored under the derived counts'
// fingerprint (DerivedDataStore), which every load, clear and edit of the sites, years, releases
// or cohorts changes, in this program or another; fits under another fingerprint are never read
// back. A file without the tables (made before fits were kept) reads as not yet fitted.
//
//     StoredFits fits(rdb);
//     fits.save(fingerprint, study.results(), &error);        // after a fit
//     if (fits.load(fingerprint, study.catalogue(), study.results()) == StoredFits::Read) ...
class StoredFits
{
public:
    enum Outcome
    {
        None,  // nothing stored
        Stale, // stored for other data, or unreadable: forgotten
        Read
    };

    explicit StoredFits(RivuletDb& rdb) : m_rdb(rdb) {}

    // Replaces the stored fits by `results`, taken to be fitted on the data whose fingerprint
    // is given. False, storing nothing, when the data have changed since (or no file is open);
    // the database's error when the file refused them.
    lum::Expected<bool> save(const QByteArray& fingerprint, const EstimationResults& results) const;
    // Replaces `results` by the fits stored under `fingerprint` (the structures made by
    // `catalogue`, which must be up to date with the data). Stale fits are forgotten and leave
    // `results` empty.
    Outcome load(const QByteArray& fingerprint, const ModelCatalogue& catalogue,
                 EstimationResults& results) const;
    // Deletes the stored fits; true when there are none afterwards.
    bool forget() const;

private:
    RivuletDb& m_rdb;
};

} // namespace rivulet
