#include "rivulet/model/ParameterBoundsCheck.h"

#include "rivulet/model/ParameterStructure.h"
#include "rivulet/model/ProbabilitySets.h"

#include <cmath>

namespace rivulet {

namespace {

QString setName(const ParameterEntry& entry)
{
    switch (entry.family) {
    case ParameterFamily::Phi:
        return QStringLiteral("phi(%1, %2, %3, y2)")
            .arg(entry.release)
            .arg(entry.site)
            .arg(entry.year1);
    case ParameterFamily::Lambda:
        return QStringLiteral("lambda(%1, %2, y2)").arg(entry.release).arg(entry.year1);
    case ParameterFamily::Capture:
        break;
    }
    return QStringLiteral("p(%1, %2, %3)").arg(entry.release).arg(entry.site).arg(entry.year1);
}

} // namespace

QString ParameterBoundsCheck::violation(const ParameterStructure& structure,
                                        const std::vector<double>& x)
{
    if (x.size() != static_cast<std::size_t>(structure.numFree()))
        return QStringLiteral("%1 estimates for %2 free parameters")
            .arg(x.size())
            .arg(structure.numFree());
    for (std::size_t i = 0; i < x.size(); ++i) {
        if (!(x[i] >= 0.0 && x[i] <= 1.0))
            return QStringLiteral("free parameter %1 is %2, not a probability")
                .arg(i)
                .arg(x[i], 0, 'g', 17);
    }
    for (const ProbabilitySet& set : probabilitySets(structure)) {
        double sum = set.fixedSum;
        for (const std::int32_t i : set.freeIndices)
            sum += x[static_cast<std::size_t>(i)];
        if (!(sum <= 1.0 + Tolerance))
            return QStringLiteral("the probabilities %1 add up to %2, more than 1")
                .arg(setName(set.first))
                .arg(sum, 0, 'g', 17);
    }
    return {};
}

} // namespace rivulet
