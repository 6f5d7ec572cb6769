#include "tools/sim/StudyDesign.h"

namespace rivulet::sim {

QStringList StudyDesign::presetNames()
{
    return {"sample", "one-year", "large"};
}

std::optional<StudyDesign> StudyDesign::preset(const QString& name)
{
    StudyDesign design;
    if (name == "sample")
        return design;
    if (name == "one-year") {
        // One migration year and no hold-over: the classic Cormack-Jolly-Seber case.
        design.releaseSites = 2;
        design.releaseYears = 1;
        design.years = 1;
        design.detectionSites = 6;
        design.fishPerRelease = 4000;
        design.holdOver = 0.0;
        return design;
    }
    if (name == "large") {
        // A hundred releases, thirty sites, five years: about a million detection rows.
        design.releaseSites = 20;
        design.releaseYears = 5;
        design.years = 5;
        design.detectionSites = 10;
        design.fishPerRelease = 3300;
        return design;
    }
    return std::nullopt;
}

QString StudyDesign::validate() const
{
    auto probability = [](double v) { return v > 0.0 && v < 1.0; };
    if (batches < 1 || batches > fishPerRelease)
        return "the number of batches must be from 1 to the fish per release";
    if (!(batchSpread >= 0.0) || batchSpread > 5.0 || !(batchDetectionSpread >= 0.0) ||
        batchDetectionSpread > 5.0)
        return "the batch spreads must be from 0 to 5 (logit scale)";
    if (releaseSites < 1 || releaseSites > 40)
        return "the number of release sites must be from 1 to 40";
    if (detectionSites < 2 || detectionSites > 12)
        return "the number of detection sites must be from 2 to 12";
    if (years < 1 || years > 10)
        return "the number of migration years must be from 1 to 10";
    if (releaseYears < 1 || releaseYears > years)
        return "the number of release years must be from 1 to the number of migration years";
    if (fishPerRelease < 1 || fishPerRelease > 10000000)
        return "the number of fish per release must be from 1 to 10000000";
    if (firstYear < 1991 || firstYear + years > 2090)
        return "the first year must be from 1991 and the study must end before 2090";
    if (!probability(detection) || !probability(survival) || !probability(finalDetection))
        return "detection, survival and final detection must lie strictly between 0 and 1";
    if (holdOver < 0.0 || holdOver > 0.5)
        return "the hold-over share must be from 0 to 0.5";
    if (firstReachHoldOver && (*firstReachHoldOver < 0.0 || *firstReachHoldOver > 0.5))
        return "the first-reach hold-over share must be from 0 to 0.5";
    if (sparseReleaseFish && (*sparseReleaseFish < 1 || *sparseReleaseFish > fishPerRelease))
        return "the fish of the sparse release must be from 1 to the fish per release";
    if (removal < 0.0 || removal > 0.9)
        return "the removal share must be from 0 to 0.9";
    return {};
}

} // namespace rivulet::sim
