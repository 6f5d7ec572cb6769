#pragma once

namespace rivulet {

// Read-only view of a model's parameter values, addressed by release, site and year
// positions. Fixed parameters answer their fixed value.
class ParameterMapI
{
public:
    virtual ~ParameterMapI();
    virtual double phi(int r, int s, int y1, int y2) const = 0;
    virtual double lambda(int r, int y1, int y2) const = 0;
    virtual double capture(int r, int s, int y) const = 0;
    virtual int numParameters() const = 0;
    virtual int residualizationSite() const = 0;
    // Whether phi(r, s, y1, y2) is fixed (or not a parameter of the model). A map that does
    // not know treats every parameter as free.
    virtual bool isPhiFixed(int /*r*/, int /*s*/, int /*y1*/, int /*y2*/) const { return false; }
};

} // namespace rivulet
