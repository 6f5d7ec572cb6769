#pragma once

#include "rivulet/model/EquatingScheme.h"

#include <QString>

namespace rivulet {

class ModelCatalogue;

// How the reports and tables name one model of the catalogue: its code ("M.ys.1A"), and its
// full description, the heading's text, ", " and the model's own, as the model tree shows it.
struct ModelDescription
{
    QString code;
    QString fullDescription;
    EquatingScheme scheme;

    // A scheme the catalogue does not hold keeps its generated code and no description.
    static ModelDescription of(const ModelCatalogue& catalogue, const EquatingScheme& scheme);
};

} // namespace rivulet
