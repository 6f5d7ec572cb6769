#pragma once

#include "lum/estimation/Func.h"

#include <vector>

namespace lum {

// One block of a function with a term structure: the function of a subset of its parameters
// (the block's), the others held where they are, summed over the subset of its terms that
// those parameters enter. When no term of the block depends on a parameter outside it, the
// block can be minimised on its own, and the minima of disjoint blocks together are the
// minimum of the whole function (apart from the terms no parameter enters).
//
// Local parameter i is whole parameter parameters[i]; local term t is whole term terms[t]. An
// evaluation writes the block's parameters into `point` (a whole parameter vector, borrowed)
// and asks the whole function for the block's terms there. Blocks over disjoint parameters and
// terms can share one point and one whole function from different threads, as long as the
// whole function's evaluations of disjoint terms do not share scratch storage.
class BlockFunc : public Func
{
public:
    // `terms` must hold every term of the block's parameters, ascending.
    BlockFunc(Func& whole, std::vector<double>& point, std::vector<int> parameters,
              std::vector<int> terms);

    double operator()(const std::vector<double>& x) override;
    int termCount() const override;
    const std::vector<int>& termsOfParameter(int j) const override;
    double termsValue(const std::vector<double>& x, const std::vector<int>& terms) override;
    void termValues(const std::vector<double>& x, std::vector<double>& values) override;
    // The whole function's, restricted to the block's parameters.
    bool hasExactGradient() const override;
    void addTermsGradient(const std::vector<double>& x, const std::vector<int>& terms,
                          std::vector<double>& g) override;

    const std::vector<int>& parameters() const { return m_parameters; }
    const std::vector<int>& terms() const { return m_terms; }
    // The block's values of a whole parameter vector, and back.
    void gather(const std::vector<double>& whole, std::vector<double>& local) const;
    void scatter(const std::vector<double>& local, std::vector<double>& whole) const;

private:
    Func& m_whole;
    std::vector<double>& m_point;
    std::vector<int> m_parameters;
    std::vector<int> m_terms;
    std::vector<std::vector<int>> m_localTerms; // per local parameter
    std::vector<int> m_wholeTerms;              // scratch of one evaluation
    std::vector<double> m_wholeGradient;        // scratch of one gradient, whole-sized
};

} // namespace lum
