#include "lum/estimation/BlockFunc.h"

#include <algorithm>
#include <stdexcept>

namespace lum {

BlockFunc::BlockFunc(Func& whole, std::vector<double>& point, std::vector<int> parameters,
                     std::vector<int> terms)
    : m_whole(whole), m_point(point), m_parameters(std::move(parameters)), m_terms(std::move(terms))
{
    m_localTerms.resize(m_parameters.size());
    for (std::size_t i = 0; i < m_parameters.size(); ++i) {
        for (const int t : m_whole.termsOfParameter(m_parameters[i])) {
            const auto at = std::lower_bound(m_terms.begin(), m_terms.end(), t);
            if (at == m_terms.end() || *at != t)
                throw std::invalid_argument("BlockFunc: a parameter's term is not in the block");
            m_localTerms[i].push_back(static_cast<int>(at - m_terms.begin()));
        }
    }
    m_wholeTerms.reserve(m_terms.size());
}

double BlockFunc::operator()(const std::vector<double>& x)
{
    scatter(x, m_point);
    return m_whole.termsValue(m_point, m_terms);
}

int BlockFunc::termCount() const
{
    return std::max(static_cast<int>(m_terms.size()), 1);
}

const std::vector<int>& BlockFunc::termsOfParameter(int j) const
{
    return m_localTerms.at(static_cast<std::size_t>(j));
}

double BlockFunc::termsValue(const std::vector<double>& x, const std::vector<int>& terms)
{
    scatter(x, m_point);
    m_wholeTerms.clear();
    for (const int t : terms)
        m_wholeTerms.push_back(m_terms.at(static_cast<std::size_t>(t)));
    return m_whole.termsValue(m_point, m_wholeTerms);
}

void BlockFunc::termValues(const std::vector<double>& x, std::vector<double>& values)
{
    scatter(x, m_point);
    values.resize(static_cast<std::size_t>(termCount()));
    for (std::size_t t = 0; t < m_terms.size(); ++t) {
        m_wholeTerms.assign(1, m_terms[t]);
        values[t] = m_whole.termsValue(m_point, m_wholeTerms);
    }
}

bool BlockFunc::hasExactGradient() const
{
    return m_whole.hasExactGradient();
}

void BlockFunc::addTermsGradient(const std::vector<double>& x, const std::vector<int>& terms,
                                 std::vector<double>& g)
{
    scatter(x, m_point);
    m_wholeTerms.clear();
    for (const int t : terms)
        m_wholeTerms.push_back(m_terms.at(static_cast<std::size_t>(t)));
    // The block's terms enter only the block's parameters, so only those elements of the
    // whole-sized gradient are cleared and read.
    m_wholeGradient.resize(m_point.size());
    for (const int p : m_parameters)
        m_wholeGradient[static_cast<std::size_t>(p)] = 0.0;
    m_whole.addTermsGradient(m_point, m_wholeTerms, m_wholeGradient);
    for (std::size_t i = 0; i < m_parameters.size(); ++i)
        g[i] += m_wholeGradient[static_cast<std::size_t>(m_parameters[i])];
}

void BlockFunc::gather(const std::vector<double>& whole, std::vector<double>& local) const
{
    local.resize(m_parameters.size());
    for (std::size_t i = 0; i < m_parameters.size(); ++i)
        local[i] = whole[static_cast<std::size_t>(m_parameters[i])];
}

void BlockFunc::scatter(const std::vector<double>& local, std::vector<double>& whole) const
{
    for (std::size_t i = 0; i < m_parameters.size() && i < local.size(); ++i)
        whole[static_cast<std::size_t>(m_parameters[i])] = local[i];
}

} // namespace lum
