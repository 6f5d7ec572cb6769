#pragma once

#include "rivulet/data/DataClass.h"
#include "rivulet/model/EquatingScheme.h"
#include "rivulet/model/ModelDefinitionItem.h"

#include <QString>

#include <memory>
#include <vector>

namespace rivulet {

class ParameterStructure;
class ReleaseSummary;
class ReleasesControllerI;
class SitesControllerI;
class YearsControllerI;

// The fixed family of models that can be fitted to the releases in the analysis: which
// models exist for the data at hand (shown as capture headings with their models), which of
// them "Fit All Models" fits and in what order, and what each is called.
//
// The controllers and the release summary are borrowed and must outlive the catalogue. The
// lists are valid from one rebuild() to the next.
class ModelCatalogue
{
public:
    ModelCatalogue(const ReleasesControllerI& releases, const SitesControllerI& sites,
                   const YearsControllerI& years, const ReleaseSummary& summary);
    ModelCatalogue(const ModelCatalogue&) = delete;
    ModelCatalogue& operator=(const ModelCatalogue&) = delete;
    ~ModelCatalogue();

    void rebuild();
    DataClass dataClass() const;

    const std::vector<std::unique_ptr<ModelDefinitionItem>>& definitionItems() const
    {
        return m_definitions;
    }
    const std::vector<EquatingScheme>& fitList() const { return m_fitList; }

    static QString modelName(DataClass dataClass, const EquatingScheme& scheme);
    static QString schemeText(DataClass dataClass, int code);

    // Fixes the parameters the data cannot inform and equates the rest across releases as
    // the model with these codes prescribes.
    void applyModel(int captureCode, int survivalCode, ParameterStructure& structure) const;

private:
    const ReleasesControllerI* m_releases;
    const SitesControllerI* m_sites;
    const YearsControllerI* m_years;
    const ReleaseSummary* m_summary;
    std::vector<std::unique_ptr<ModelDefinitionItem>> m_definitions;
    std::vector<EquatingScheme> m_fitList;
};

} // namespace rivulet
