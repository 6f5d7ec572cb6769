#include "rivulet/results/ModelDescription.h"

#include "rivulet/model/ModelCatalogue.h"

namespace rivulet {

ModelDescription ModelDescription::of(const ModelCatalogue& catalogue, const EquatingScheme& scheme)
{
    ModelDescription description;
    description.scheme = scheme;
    QString heading;
    for (const auto& item : catalogue.definitionItems()) {
        if (item->isHeading()) {
            heading = item->description();
        } else if (item->scheme() == scheme) {
            description.code = item->name();
            description.fullDescription =
                heading.isEmpty() ? item->description()
                                  : heading + QStringLiteral(", ") + item->description();
            return description;
        }
    }
    description.code = ModelCatalogue::modelName(catalogue.dataClass(), scheme);
    return description;
}

} // namespace rivulet
