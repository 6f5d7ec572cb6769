#include "rivulet/results/ReportedModel.h"

#include "rivulet/model/ModelCatalogue.h"
#include "rivulet/model/ModelResult.h"
#include "rivulet/reports/ModelEstimateItemAction.h"
#include "rivulet/reports/ModelEstimateItemHeading.h"
#include "rivulet/reports/ModelEstimateItemRoot.h"

namespace rivulet {

ReportedModel::ReportedModel(const ModelCatalogue& catalogue, const ModelResult& result)
    : root_(std::make_unique<ModelEstimateItemRoot>())
{
    const EquatingScheme scheme = result.scheme();
    const ModelDefinitionItem* heading = nullptr;
    const ModelDefinitionItem* model = nullptr;
    for (const auto& definition : catalogue.definitionItems()) {
        if (definition->isHeading()) {
            heading = definition.get();
        } else if (definition->scheme() == scheme) {
            model = definition.get();
            break;
        }
    }
    const QString headingText = model && heading ? heading->description() : QString();
    const QString code =
        model ? model->name() : ModelCatalogue::modelName(catalogue.dataClass(), scheme);
    const QString text = model ? model->description() : QString();
    const QString fullDescription =
        headingText.isEmpty() ? text : headingText + QStringLiteral(", ") + text;
    ModelEstimateItem* parent = root_->appendChild(std::make_unique<ModelEstimateItemHeading>(
        headingText, EquatingScheme{scheme.captureCode, 0}));
    item_ = parent->appendChild(
        std::make_unique<ModelEstimateItemAction>(code, text, fullDescription, scheme));
    item_->setResult(&result);
}

ReportedModel::~ReportedModel() = default;

} // namespace rivulet
