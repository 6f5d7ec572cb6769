#pragma once

#include <Eigen/SparseCore>

#include <atomic>
#include <memory>
#include <vector>

namespace lum {

class Func;

// The Hessian of a function with a term structure and an exact gradient, assembled from the
// pieces of its terms into a sparse matrix. A term's piece lives on the parameters that term
// enters, so the matrix holds only the pairs that share a term, and its memory grows with
// those pairs, not with the square of the number of parameters.
//
// Column j is the central difference of the gradient of the terms of parameter j along
// parameter j, as NumericalHessian takes it, but the columns of parameters that enter one term
// only (a release's own parameters) are differenced together, one of each term at a time: no
// two of them share a term, so one gradient of their terms gives all of their columns. Such a
// column is read only on the rows of its own term's private parameters; the rows of shared
// parameters come from the shared parameters' own columns, by symmetry. A gradient then costs
// as many evaluations as the largest number of private parameters of one term plus the number
// of shared parameters, whatever the number of terms. The matrix is made symmetric by averaging
// it with its transpose.
//
// The structure is read at construction; compute() may be called at many points. The function
// is borrowed and must outlive the object.
class SparseHessian
{
public:
    using Matrix = Eigen::SparseMatrix<double, Eigen::ColMajor, int>;

    // How the difference step of parameter j follows x_j.
    enum class Step
    {
        Relative,        // h_j = step * x_j; a parameter at 0 gets no step and a column of NaN
        RelativeFromOne, // h_j = step * max(|x_j|, 1): for unbounded coordinates near 0
    };

    // How the gradients are differenced.
    enum class Differences
    {
        // (g(x + h) - g(x - h)) / 2h: accurate to O(h²), for the covariance.
        Central,
        // (g(x + h) - g(x)) / h, each term's g(x) taken once for all columns: half the
        // gradients, accurate to O(h), enough for the steps of an optimizer.
        Forward,
    };

    // `size` is the number of the function's parameters.
    SparseHessian(Func& func, int size);

    // Fills matrix() at x; false, with the matrix incomplete, once `cancelled` is true.
    bool compute(const std::vector<double>& x, double step, Step rule,
                 const std::atomic<bool>& cancelled,
                 Differences differences = Differences::Central);

    // Both triangles, every diagonal element present (0 for a parameter that enters no term).
    const Matrix& matrix() const { return m_matrix; }
    // Gradient evaluations of the listed terms one central compute() makes; a forward one makes
    // half as many, and one of every term alone.
    int gradientsPerHessian() const;

private:
    double stepOf(double xj, double step, Step rule) const;
    // Every term's gradient at x, on its own parameters, into m_termGradients.
    void computeTermGradients(const std::vector<double>& x);
    // The position of element (i, j) in the matrix's values; -1 when it is not stored.
    int position(int i, int j) const;

    Func& m_func;
    int m_size = 0;
    Matrix m_matrix;
    // Per term: its private parameters (those entering no other term), ascending.
    std::vector<std::vector<int>> m_private;
    std::vector<int> m_shared;
    std::vector<char> m_isShared;
    // Colour c: the c-th private parameter of every term that has one, and those terms.
    std::vector<std::vector<int>> m_colourParameters;
    std::vector<std::vector<int>> m_colourTerms;
    std::vector<int> m_termOfPrivate; // per parameter; -1 for shared or unused ones
    // Every term's parameters, term t's from m_termStart[t], and their elements of the term's
    // gradient at the point of a forward compute().
    std::vector<std::size_t> m_termStart;
    std::vector<int> m_termParameters;
    std::vector<double> m_termGradients;
    std::vector<double> m_point;
    std::vector<double> m_up;
    std::vector<double> m_down;
};

// A Hessian computed for a larger problem, from which a nearby smaller one starts: the smaller
// problem's parameter i is parameter index[i] of the matrix. A profile likelihood's fits, say,
// start from the Hessian of the whole block at its maximum instead of differencing their own.
struct HessianSeed
{
    std::shared_ptr<const SparseHessian::Matrix> matrix;
    std::vector<int> index;
};

// The Hessian of func at x as Newton's method (NewtonMinimizer) takes it, for a seed of its runs
// on nearby problems; null when cancelled.
std::shared_ptr<const SparseHessian::Matrix> newtonHessian(Func& func, const std::vector<double>& x,
                                                           const std::atomic<bool>& cancelled);

} // namespace lum
