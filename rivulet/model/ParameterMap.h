#pragma once

#include <vector>

namespace rivulet {

class ParameterStructure;

// Parameter values of one model, addressed by release, site and year positions; fixed
// parameters answer their fixed value. It borrows its structure and free parameter vector,
// both required to outlive the map. A lookup that resolves to a position beyond the vector throws
// std::out_of_range.
class ParameterMap
{
public:
    ParameterMap(const ParameterStructure& structure, const std::vector<double>& parameters);
    ~ParameterMap();

    double phi(int r, int s, int y1, int y2) const;
    // Whether phi(r, s, y1, y2) is fixed (or not a parameter of the model).
    bool isPhiFixed(int r, int s, int y1, int y2) const;
    double lambda(int r, int y1, int y2) const;
    double capture(int r, int s, int y) const;
    int numParameters() const;
    int residualizationSite() const;

    const ParameterStructure& structure() const { return *m_structure; }
    const std::vector<double>& parameters() const { return *m_parameters; }

private:
    double valueOfCell(int cell) const;

    const ParameterStructure* m_structure;
    const std::vector<double>* m_parameters;
};

} // namespace rivulet
