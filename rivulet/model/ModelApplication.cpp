#include "rivulet/model/ModelApplication.h"

#include "rivulet/model/ParameterStructure.h"
#include "rivulet/summary/ReleaseSummary.h"

namespace rivulet {

void ModelApplication::apply(const ReleaseSummary& summary, const EquatingScheme& scheme,
                             ParameterStructure& structure)
{
    fixByData(summary, structure);
    equateCapture(scheme.captureCode, structure);
    equateSurvival(scheme.survivalCode, structure);
}

void ModelApplication::fixByData(const ReleaseSummary& summary, ParameterStructure& structure)
{
    const int finalSite = structure.siteCount() - 1;
    for (int r = 0; r < structure.releaseCount(); ++r) {
        for (const auto& [key, t] : summary.transitionCells(ReleasePos{r})) {
            if (!t.fixedAtOne && !t.fixedAtZero) {
                continue;
            }
            const int index =
                key.site == finalSite
                    ? structure.lambdaIndex(r, key.upstreamYear, key.downstreamYear)
                    : structure.phiIndex(r, key.site, key.upstreamYear, key.downstreamYear);
            structure.fix(index, t.fixedAtOne ? 1.0 : 0.0);
        }
        for (const auto& [key, c] : summary.captureCells(ReleasePos{r})) {
            if (c.fixedAtZero) {
                structure.fix(structure.captureIndex(r, key.site, key.year), 0.0);
            }
        }
    }
}

bool ModelApplication::pairSelected(int code, const ParameterStructure& structure, int r1, int r2)
{
    switch (code) {
    case EquatingScheme::AllReleases:
        return true;
    case EquatingScheme::SameReleaseSite:
        return structure.relSite(r1) == structure.relSite(r2);
    case EquatingScheme::SameReleaseYear:
        return structure.relYear(r1) == structure.relYear(r2);
    default:
        return false;
    }
}

void ModelApplication::equateCapture(int code, ParameterStructure& structure)
{
    const int R = structure.releaseCount();
    const int S = structure.siteCount();
    const int Y = structure.yearCount();
    for (int r1 = 0; r1 < R; ++r1) {
        for (int r2 = r1 + 1; r2 < R; ++r2) {
            if (!pairSelected(code, structure, r1, r2)) {
                continue;
            }
            for (int s = 0; s < S; ++s) {
                for (int y = 0; y < Y; ++y) {
                    structure.equate(structure.captureIndex(r1, s, y),
                                     structure.captureIndex(r2, s, y));
                }
            }
        }
    }
}

void ModelApplication::equateSurvival(int code, ParameterStructure& structure)
{
    const int R = structure.releaseCount();
    const int S = structure.siteCount();
    const int Y = structure.yearCount();
    for (int r1 = 0; r1 < R; ++r1) {
        for (int r2 = r1 + 1; r2 < R; ++r2) {
            if (!pairSelected(code, structure, r1, r2)) {
                continue;
            }
            for (int s = 0; s < S; ++s) {
                for (int y1 = 0; y1 < Y; ++y1) {
                    for (int y2 = y1; y2 < Y; ++y2) {
                        structure.equate(structure.phiIndex(r1, s, y1, y2),
                                         structure.phiIndex(r2, s, y1, y2));
                    }
                }
            }
            for (int y1 = 0; y1 < Y; ++y1) {
                for (int y2 = y1; y2 < Y; ++y2) {
                    structure.equate(structure.lambdaIndex(r1, y1, y2),
                                     structure.lambdaIndex(r2, y1, y2));
                }
            }
        }
    }
}

} // namespace rivulet
