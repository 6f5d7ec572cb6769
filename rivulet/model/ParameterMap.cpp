#include "rivulet/model/ParameterMap.h"

#include "rivulet/model/ParameterStructure.h"

#include <stdexcept>

namespace rivulet {

ParameterMap::ParameterMap(const ParameterStructure& structure,
                           const std::vector<double>& parameters)
    : structure_(&structure), parameters_(&parameters)
{
}

ParameterMap::~ParameterMap() = default;

double ParameterMap::valueOfCell(int cell) const
{
    const int index = structure_->indexOfCell(cell);
    if (index < 0) {
        return structure_->fixedValueOfCell(cell);
    }
    if (static_cast<std::size_t>(index) >= parameters_->size()) {
        throw std::out_of_range("invalid vector<T> subscript");
    }
    return (*parameters_)[static_cast<std::size_t>(index)];
}

double ParameterMap::phi(int r, int s, int y1, int y2) const
{
    return valueOfCell(structure_->phiCell(r, s, y1, y2));
}

bool ParameterMap::isPhiFixed(int r, int s, int y1, int y2) const
{
    return structure_->phiIndex(r, s, y1, y2) < 0;
}

double ParameterMap::lambda(int r, int y1, int y2) const
{
    return valueOfCell(structure_->lambdaCell(r, y1, y2));
}

double ParameterMap::capture(int r, int s, int y) const
{
    return valueOfCell(structure_->captureCell(r, s, y));
}

int ParameterMap::numParameters() const
{
    return structure_->numFree();
}

int ParameterMap::residualizationSite() const
{
    return structure_->residualizationSite();
}

} // namespace rivulet
