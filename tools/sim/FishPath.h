#pragma once

#include "tools/sim/SimRelease.h"

#include <vector>

namespace rivulet::sim {

class Random;
class RiverLayout;
class TrueParameters;

// The life of one simulated fish under the branching model: from its release
// site it moves down-river site by site, at each step surviving (or not) and
// passing the next site in the same or a later year; at a detection site it
// may be detected and, if detected, taken out. The buffers are reused from
// fish to fish.
class FishPath
{
public:
    struct Passage
    {
        int site = 0;
        int year = 0;
        qint64 time = 0;
        bool detected = false;
        bool removed = false;
    };

    FishPath(const RiverLayout& layout, const TrueParameters& truth, int firstYear);

    // `survivalShift` and `detectionShift` move the fish's survival on every step and its
    // detection probability at every dam on the logit scale (0: none), for batches that fare
    // differently.
    void simulate(int r, const SimRelease& release, qint64 releaseTime, Random& random,
                  double survivalShift = 0.0, double detectionShift = 0.0);
    // The detection sites passed, in order (release sites passed are left out).
    const std::vector<Passage>& passages() const { return m_passages; }

    // Moves a time off the instants where antenna rules change, so that no
    // detection depends on how a reader rounds times near them.
    qint64 clearOfRuleChanges(qint64 time) const;

private:
    int draw(const double* probabilities, int count, Random& random) const;
    // Moves the total of the first `count` choices by `shift` on the logit scale, keeping
    // their proportions.
    void shiftSurvival(int count, double shift);
    qint64 arrival(int site, int fromYear, int year, qint64 previous, Random& random) const;

    const RiverLayout& m_layout;
    const TrueParameters& m_truth;
    int m_firstYear = 0;
    double m_speed = 20.0; // km a day of the current fish
    std::vector<Passage> m_passages;
    std::vector<double> m_choices;
};

} // namespace rivulet::sim
