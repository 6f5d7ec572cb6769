#pragma once

namespace rivulet {

class ReleasesControllerI;

// How many release sites and release years the active releases span. It decides which models
// exist and whether the release summary groups releases. Reports and the summary's JSON give
// it as its number (dataClassNumber).
enum class DataClass : int
{
    OneSiteOneYear = 0,
    SeveralSitesOneYear = 1,
    OneSiteSeveralYears = 2,
    SeveralSitesSeveralYears = 3,
};

constexpr int dataClassNumber(DataClass dataClass)
{
    return static_cast<int>(dataClass);
}

DataClass dataClassOf(const ReleasesControllerI& releases);

} // namespace rivulet
