#include "lum/estimation/SparseHessian.h"

#include "lum/estimation/Func.h"

#include <Eigen/SparseCore>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace lum {

SparseHessian::SparseHessian(Func& func, int size) : m_func(func), m_size(size)
{
    if (!func.hasExactGradient())
        throw std::logic_error("SparseHessian needs a function with an exact gradient");
    const auto n = static_cast<std::size_t>(size);
    const auto termCount = static_cast<std::size_t>(func.termCount());
    std::vector<std::vector<int>> parametersOfTerm(termCount);
    m_private.assign(termCount, {});
    m_isShared.assign(n, 0);
    m_termOfPrivate.assign(n, -1);
    for (int j = 0; j < size; ++j) {
        const std::vector<int>& terms = func.termsOfParameter(j);
        for (const int t : terms)
            parametersOfTerm[static_cast<std::size_t>(t)].push_back(j);
        if (terms.size() == 1) {
            m_private[static_cast<std::size_t>(terms.front())].push_back(j);
            m_termOfPrivate[static_cast<std::size_t>(j)] = terms.front();
        } else if (terms.size() > 1) {
            m_shared.push_back(j);
            m_isShared[static_cast<std::size_t>(j)] = 1;
        }
    }
    m_termStart.assign(termCount + 1, 0);
    for (std::size_t t = 0; t < termCount; ++t) {
        m_termStart[t + 1] = m_termStart[t] + parametersOfTerm[t].size();
        m_termParameters.insert(m_termParameters.end(), parametersOfTerm[t].begin(),
                                parametersOfTerm[t].end());
    }
    for (std::size_t t = 0; t < termCount; ++t) {
        for (std::size_t c = 0; c < m_private[t].size(); ++c) {
            if (c == m_colourParameters.size()) {
                m_colourParameters.emplace_back();
                m_colourTerms.emplace_back();
            }
            m_colourParameters[c].push_back(m_private[t][c]);
            m_colourTerms[c].push_back(static_cast<int>(t));
        }
    }

    // Column j holds the parameters of every term of j, and the diagonal.
    std::vector<std::vector<int>> rows(n);
    std::vector<int> mark(n, -1);
    for (int j = 0; j < size; ++j) {
        std::vector<int>& column = rows[static_cast<std::size_t>(j)];
        column.push_back(j);
        mark[static_cast<std::size_t>(j)] = j;
        for (const int t : func.termsOfParameter(j)) {
            for (const int i : parametersOfTerm[static_cast<std::size_t>(t)]) {
                if (mark[static_cast<std::size_t>(i)] != j) {
                    mark[static_cast<std::size_t>(i)] = j;
                    column.push_back(i);
                }
            }
        }
        std::sort(column.begin(), column.end());
    }
    m_matrix.resize(size, size);
    Eigen::VectorXi sizes(size);
    for (int j = 0; j < size; ++j)
        sizes[j] = static_cast<int>(rows[static_cast<std::size_t>(j)].size());
    m_matrix.reserve(sizes);
    for (int j = 0; j < size; ++j)
        for (const int i : rows[static_cast<std::size_t>(j)])
            m_matrix.insert(i, j) = 0.0;
    m_matrix.makeCompressed();
}

int SparseHessian::gradientsPerHessian() const
{
    return 2 * static_cast<int>(m_colourParameters.size() + m_shared.size());
}

double SparseHessian::stepOf(double xj, double step, Step rule) const
{
    const double h = rule == Step::Relative ? xj * step : step * std::max(std::abs(xj), 1.0);
    // The step actually taken, so that the difference divides by what moved.
    return (xj + h) - xj;
}

int SparseHessian::position(int i, int j) const
{
    const int* first = m_matrix.innerIndexPtr() + m_matrix.outerIndexPtr()[j];
    const int* last = m_matrix.innerIndexPtr() + m_matrix.outerIndexPtr()[j + 1];
    const int* at = std::lower_bound(first, last, i);
    if (at == last || *at != i)
        return -1;
    return static_cast<int>(at - m_matrix.innerIndexPtr());
}

void SparseHessian::computeTermGradients(const std::vector<double>& x)
{
    m_termGradients.resize(m_termParameters.size());
    std::fill(m_up.begin(), m_up.end(), 0.0);
    std::vector<int> one(1);
    for (std::size_t t = 0; t + 1 < m_termStart.size(); ++t) {
        one[0] = static_cast<int>(t);
        m_func.addTermsGradient(x, one, m_up);
        for (std::size_t k = m_termStart[t]; k < m_termStart[t + 1]; ++k) {
            double& element = m_up[static_cast<std::size_t>(m_termParameters[k])];
            m_termGradients[k] = element;
            element = 0.0;
        }
    }
}

bool SparseHessian::compute(const std::vector<double>& x, double step, Step rule,
                            const std::atomic<bool>& cancelled, Differences differences)
{
    const auto n = static_cast<std::size_t>(m_size);
    const bool forward = differences == Differences::Forward;
    m_point = x;
    m_up.resize(n);
    m_down.resize(n);
    if (forward)
        computeTermGradients(x);
    const int* outer = m_matrix.outerIndexPtr();
    const int* inner = m_matrix.innerIndexPtr();
    double* values = m_matrix.valuePtr();
    std::vector<double> h;
    // What the difference of the gradients spans, in steps.
    const double span = forward ? 1.0 : 2.0;

    // Differences the gradient of `terms` along every parameter of `moved` at once.
    const auto difference = [&](const std::vector<int>& moved, const std::vector<int>& terms) {
        h.resize(moved.size());
        for (std::size_t k = 0; k < moved.size(); ++k)
            h[k] = stepOf(x[static_cast<std::size_t>(moved[k])], step, rule);
        for (std::size_t k = 0; k < moved.size(); ++k)
            m_point[static_cast<std::size_t>(moved[k])] += h[k];
        std::fill(m_up.begin(), m_up.end(), 0.0);
        m_func.addTermsGradient(m_point, terms, m_up);
        std::fill(m_down.begin(), m_down.end(), 0.0);
        if (forward) {
            // The terms' gradients at x, added up from those kept.
            for (const int t : terms) {
                const auto term = static_cast<std::size_t>(t);
                for (std::size_t k = m_termStart[term]; k < m_termStart[term + 1]; ++k)
                    m_down[static_cast<std::size_t>(m_termParameters[k])] += m_termGradients[k];
            }
        } else {
            for (std::size_t k = 0; k < moved.size(); ++k) {
                const auto j = static_cast<std::size_t>(moved[k]);
                m_point[j] = x[j] - h[k];
            }
            m_func.addTermsGradient(m_point, terms, m_down);
        }
        for (const int j : moved)
            m_point[static_cast<std::size_t>(j)] = x[static_cast<std::size_t>(j)];
    };

    for (std::size_t c = 0; c < m_colourParameters.size(); ++c) {
        if (cancelled)
            return false;
        const std::vector<int>& moved = m_colourParameters[c];
        difference(moved, m_colourTerms[c]);
        for (std::size_t k = 0; k < moved.size(); ++k) {
            const int j = moved[k];
            // Other terms of the colour add to the shared rows: those are left to symmetry.
            for (int p = outer[j]; p < outer[j + 1]; ++p) {
                const auto i = static_cast<std::size_t>(inner[p]);
                if (!m_isShared[i])
                    values[p] = (m_up[i] - m_down[i]) / (span * h[k]);
            }
        }
    }
    std::vector<int> single(1);
    for (const int j : m_shared) {
        if (cancelled)
            return false;
        single[0] = j;
        difference(single, m_func.termsOfParameter(j));
        for (int p = outer[j]; p < outer[j + 1]; ++p) {
            const auto i = static_cast<std::size_t>(inner[p]);
            values[p] = (m_up[i] - m_down[i]) / (span * h[0]);
        }
    }

    // Symmetric: a private row of a shared column is copied to its mirror, which its own
    // column could not tell; the other pairs are averaged.
    for (int j = 0; j < m_size; ++j) {
        const bool sharedColumn = m_isShared[static_cast<std::size_t>(j)] != 0;
        for (int p = outer[j]; p < outer[j + 1]; ++p) {
            const int i = inner[p];
            if (i >= j)
                continue;
            const int mirror = position(j, i);
            const bool sharedRow = m_isShared[static_cast<std::size_t>(i)] != 0;
            if (sharedColumn == sharedRow) {
                const double mean = 0.5 * (values[p] + values[mirror]);
                values[p] = mean;
                values[mirror] = mean;
            } else if (sharedColumn) {
                values[mirror] = values[p];
            } else {
                values[p] = values[mirror];
            }
        }
    }
    return true;
}

} // namespace lum
