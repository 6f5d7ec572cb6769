#pragma once

#include "SimulatedData.h"

#include "rivulet/model/EquatingScheme.h"
#include "rivulet/model/EstimationResults.h"
#include "rivulet/model/FitOptions.h"
#include "rivulet/model/ModelCatalogue.h"
#include "rivulet/summary/ReleaseSummary.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

namespace rivulet::test {

// The true values of the branching model for a simulated study: site and year positions as
// in the analysis (site S-1 is the final site), parameters by release position.
struct BranchingTruth
{
    int siteCount = 0;
    int yearCount = 0;
    std::vector<int> relSites;
    std::vector<int> relYears;
    std::function<double(int r, int s, int y1, int y2)> phi;
    std::function<double(int r, int s, int y)> capture;
    std::function<double(int r, int y1, int y2)> lambda;

    int releaseCount() const { return static_cast<int>(relSites.size()); }
};

// Releases fishPerRelease fish per release, follows each down the river under the truth and
// returns the next-detection counts they produce, as next-detections text.
QString simulateCounts(const BranchingTruth& truth, int fishPerRelease, unsigned seed);

// A simulated data set with its release summary and model catalogue, and the results of the
// models fitted to it. A summary not updated leaves every parameter free.
struct FittedStudy
{
    SimulatedData data;
    ReleaseSummary summary{data.releases, data.sites, data.years, data.counts};
    ModelCatalogue catalogue{data.releases, data.sites, data.years, summary};
    EstimationResults results{data.releases, data.sites, data.years};
    QStringList warnings;
    QStringList statuses;

    explicit FittedStudy(const QString& text, bool updateSummary = true);
    // Fits the models with the model estimator; its warnings are kept in `warnings`, its
    // status lines in `statuses`.
    void fit(const std::vector<EquatingScheme>& schemes, const FitOptions& options = {});
};

} // namespace rivulet::test
