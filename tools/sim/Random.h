#pragma once

#include <QtGlobal>

namespace rivulet::sim {

// A small, fast generator whose sequence depends only on the seed, on every
// platform and standard library (the std distributions are not portable, so
// the conversions to probabilities and ranges are done here).
class Random
{
public:
    explicit Random(quint64 seed);

    quint64 next();
    // Uniform on [0, 1), 53 bits.
    double uniform();
    // True with probability p.
    bool chance(double p) { return uniform() < p; }
    // Uniform integer on [0, n); n must be positive.
    int below(int n);
    // Uniform double on [lo, hi).
    double between(double lo, double hi) { return lo + (hi - lo) * uniform(); }

private:
    quint64 m_state[4] = {};
};

} // namespace rivulet::sim
