#include "rivulet/model/ParameterMap.h"

#include "rivulet/model/ParameterStructure.h"

#include <stdexcept>

namespace rivulet {

ParameterMap::ParameterMap(const ParameterStructure& structure,
                           const std::vector<double>& parameters)
    : m_structure(&structure), m_parameters(&parameters)
{
}

ParameterMap::~ParameterMap() = default;

double ParameterMap::valueOfCell(int cell) const
{
    const int index = m_structure->indexOfCell(cell);
    if (index < 0) {
        return m_structure->fixedValueOfCell(cell);
    }
    if (static_cast<std::size_t>(index) >= m_parameters->size()) {
        throw std::out_of_range("invalid vector<T> subscript");
    }
    return (*m_parameters)[static_cast<std::size_t>(index)];
}

double ParameterMap::phi(int r, int s, int y1, int y2) const
{
    return valueOfCell(m_structure->phiCell(r, s, y1, y2));
}

bool ParameterMap::isPhiFixed(int r, int s, int y1, int y2) const
{
    return m_structure->phiIndex(r, s, y1, y2) < 0;
}

double ParameterMap::lambda(int r, int y1, int y2) const
{
    return valueOfCell(m_structure->lambdaCell(r, y1, y2));
}

double ParameterMap::capture(int r, int s, int y) const
{
    return valueOfCell(m_structure->captureCell(r, s, y));
}

int ParameterMap::numParameters() const
{
    return m_structure->numFree();
}

int ParameterMap::residualizationSite() const
{
    return m_structure->residualizationSite();
}

} // namespace rivulet
