#pragma once

#include "rivulet/model/ParameterMapI.h"

#include <vector>

namespace rivulet {

class ParameterStructure;

// Parameter values of one model: its structure and free parameter vector, both borrowed and
// required to outlive the map. A lookup that resolves to a position beyond the vector throws
// std::out_of_range.
class ParameterMap final : public ParameterMapI
{
public:
    ParameterMap(const ParameterStructure& structure, const std::vector<double>& parameters);
    ~ParameterMap() override;

    double phi(int r, int s, int y1, int y2) const override;
    bool isPhiFixed(int r, int s, int y1, int y2) const override;
    double lambda(int r, int y1, int y2) const override;
    double capture(int r, int s, int y) const override;
    int numParameters() const override;
    int residualizationSite() const override;

    const ParameterStructure& structure() const { return *structure_; }
    const std::vector<double>& parameters() const { return *parameters_; }

private:
    double valueOfCell(int cell) const;

    const ParameterStructure* structure_;
    const std::vector<double>* parameters_;
};

} // namespace rivulet
