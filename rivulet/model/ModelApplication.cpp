#include "rivulet/model/ModelApplication.h"

#include "rivulet/model/ParameterStructure.h"
#include "rivulet/summary/ReleaseSummary.h"

namespace rivulet {

void ModelApplication::apply(const ReleaseSummary& summary, const EquatingScheme& scheme,
                             ParameterStructure& structure)
{
    ParameterStructure::Changes changes(structure);
    fixByData(summary, structure, changes);
    equateCapture(scheme.captureCode, structure, changes);
    equateSurvival(scheme.survivalCode, structure, changes);
    changes.apply(structure);
}

void ModelApplication::fixByData(const ReleaseSummary& summary, ParameterStructure& structure)
{
    ParameterStructure::Changes changes(structure);
    fixByData(summary, structure, changes);
    changes.apply(structure);
}

void ModelApplication::equateCapture(int code, ParameterStructure& structure)
{
    ParameterStructure::Changes changes(structure);
    equateCapture(code, structure, changes);
    changes.apply(structure);
}

void ModelApplication::equateSurvival(int code, ParameterStructure& structure)
{
    ParameterStructure::Changes changes(structure);
    equateSurvival(code, structure, changes);
    changes.apply(structure);
}

void ModelApplication::fixByData(const ReleaseSummary& summary, const ParameterStructure& structure,
                                 ParameterStructure::Changes& changes)
{
    const int finalSite = structure.siteCount() - 1;
    for (int r = 0; r < structure.releaseCount(); ++r) {
        for (const auto& [key, t] : summary.transitionCells(ReleasePos{r})) {
            if (!t.fixedAtOne && !t.fixedAtZero) {
                continue;
            }
            const int cell =
                key.site == finalSite
                    ? structure.lambdaCell(r, key.upstreamYear, key.downstreamYear)
                    : structure.phiCell(r, key.site, key.upstreamYear, key.downstreamYear);
            changes.fix(cell, t.fixedAtOne ? 1.0 : 0.0);
        }
        for (const auto& [key, c] : summary.captureCells(ReleasePos{r})) {
            if (c.fixedAtZero) {
                changes.fix(structure.captureCell(r, key.site, key.year), 0.0);
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

void ModelApplication::equateCapture(int code, const ParameterStructure& structure,
                                     ParameterStructure::Changes& changes)
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
                    changes.equate(structure.captureCell(r1, s, y),
                                   structure.captureCell(r2, s, y));
                }
            }
        }
    }
}

void ModelApplication::equateSurvival(int code, const ParameterStructure& structure,
                                      ParameterStructure::Changes& changes)
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
                        changes.equate(structure.phiCell(r1, s, y1, y2),
                                       structure.phiCell(r2, s, y1, y2));
                    }
                }
            }
            for (int y1 = 0; y1 < Y; ++y1) {
                for (int y2 = y1; y2 < Y; ++y2) {
                    changes.equate(structure.lambdaCell(r1, y1, y2),
                                   structure.lambdaCell(r2, y1, y2));
                }
            }
        }
    }
}

} // namespace rivulet
