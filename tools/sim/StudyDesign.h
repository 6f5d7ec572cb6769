#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace rivulet::sim {

// Everything that decides a simulated study: its size, its parameter levels
// and the seed. The parameter levels are base values; the simulator varies
// them by site and year in a fixed pattern, so the truth of a design does not
// depend on the seed, only the sampled fish do.
struct StudyDesign
{
    quint64 seed = 1;
    int releaseSites = 3;
    int releaseYears = 2;
    int years = 3; // migration years, the first being the first release year
    int detectionSites = 7;
    int fishPerRelease = 1600;
    int firstYear = 2008;

    double detection = 0.55;      // mean detection probability at the dams
    double survival = 0.93;       // main-stem survival per 100 km
    double holdOver = 0.10;       // share of survivors that hold over before the trap
    double removal = 0.35;        // share of detected fish transported at the first dam
    double finalDetection = 0.25; // detection probability at the final site
    // The hold-over share on the way from the release to the first detection site, when it
    // should differ from holdOver (0 lets every fish reach the trap in its release year,
    // while fish may still hold over lower down).
    std::optional<double> firstReachHoldOver;
    // Fish of the last release, when it should be smaller than the others: a release so
    // thin that some of its paths see no fish at all.
    std::optional<int> sparseReleaseFish;
    // Extra-binomial variation: each release's fish go out in this many batches of (nearly)
    // equal size, and every batch's survival on each step is moved on the logit scale by a
    // normal draw of standard deviation batchSpread (the same shift for every step of the
    // batch), so that batches fare differently around the design's survival. With one batch
    // or no spread every fish has the design's survival.
    int batches = 1;
    double batchSpread = 0.0;
    // The same for the batch's detection probability at every dam (a batch that is easier or
    // harder to detect all the way down): heterogeneity the next-detection counts can show.
    double batchDetectionSpread = 0.0;

    int fishOfRelease(int release, int releaseCount) const
    {
        return sparseReleaseFish && release == releaseCount - 1 ? *sparseReleaseFish
                                                                : fishPerRelease;
    }

    static std::optional<StudyDesign> preset(const QString& name);
    static QStringList presetNames();
    // An empty text when the design can be simulated, else what is wrong.
    QString validate() const;
};

} // namespace rivulet::sim
