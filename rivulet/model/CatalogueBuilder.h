#pragma once

#include "rivulet/data/DataClass.h"
#include "rivulet/model/EquatingScheme.h"
#include "rivulet/model/ModelDefinitionItem.h"

#include <memory>
#include <vector>

namespace rivulet {

// What the release summary says the data can inform, as the catalogue reads it.
struct EstimabilityIndicators
{
    bool pooled = true;      // all included releases pooled
    bool eachRelease = true; // every release by itself
    bool secondGroup = true; // the releases of each release site pooled
};

// Lays out the models of one data class: the headings and models in display order, and
// the models "Fit All Models" fits (those whose estimability condition holds) in fitting
// order.
class CatalogueBuilder
{
public:
    CatalogueBuilder(std::vector<std::unique_ptr<ModelDefinitionItem>>& definitions,
                     std::vector<EquatingScheme>& fitList);

    void build(DataClass dataClass, const EstimabilityIndicators& indicators);

private:
    void heading(int captureCode);
    void model(const EquatingScheme& scheme, bool fitted);

    std::vector<std::unique_ptr<ModelDefinitionItem>>& m_definitions;
    std::vector<EquatingScheme>& m_fitList;
    DataClass m_dataClass = DataClass::OneSiteOneYear;
};

} // namespace rivulet
