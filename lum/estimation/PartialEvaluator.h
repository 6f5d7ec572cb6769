#pragma once

#include <vector>

namespace lum {

class Func;

// Evaluates a function at points that differ from a base point in one or two coordinates, as
// finite differences need. When the function is a sum of terms, only the terms that the moved
// coordinates enter are evaluated, and the same terms are summed at the base point, so a
// difference of two values equals the difference of the full values up to rounding.
// Without a term structure every value is a full evaluation.
//
// Use: moveTo(x); optionally setBase()/setKnownBase(f) when differences against the base point
// are wanted; then for each coordinate (or pair) select(...) and valueWith(...).
class PartialEvaluator
{
public:
    explicit PartialEvaluator(Func& func);

    // Copies x as the base point. Forgets the base values.
    void moveTo(const std::vector<double>& x);
    // Computes the values at the base point (the full value, or every term's value).
    void setBase();
    // Like setBase(), when the full value f at the base point is already known.
    void setKnownBase(double f);

    // Restricts the following values to the terms of parameter i, or of both i and j.
    // Returns false when no term is selected: every value is then 0 and nothing is evaluated.
    bool select(int i);
    bool select(int i, int j);

    // The selected terms at the base point (needs setBase()).
    double baseValue() const;
    // The selected terms at the base point with coordinate i set to xi (and j to xj).
    double valueWith(int i, double xi);
    double valueWith(int i, double xi, int j, double xj);

    bool usesTerms() const { return m_usesTerms; }

private:
    double selectedValue();
    double sumAtBase() const;

    Func& m_func;
    bool m_usesTerms = false;
    std::vector<double> m_x;
    std::vector<double> m_work;
    std::vector<double> m_termValues;
    std::vector<int> m_pairTerms;
    const std::vector<int>* m_selected = nullptr;
    double m_baseValue = 0.0;
};

} // namespace lum
