#include "lum/estimation/TransformedFunc.h"

#include <algorithm>
#include <stdexcept>

namespace lum {

TransformedFunc::TransformedFunc(Func& inner, const SoftmaxTransform& transform)
    : m_inner(inner), m_transform(transform), m_z(static_cast<std::size_t>(transform.size()), 0.0),
      m_x(static_cast<std::size_t>(transform.size()), 0.0)
{
    const int groups = transform.groupCount();
    m_groupTerms.resize(static_cast<std::size_t>(groups));
    for (int g = 0; g < groups; ++g) {
        std::vector<int>& terms = m_groupTerms[static_cast<std::size_t>(g)];
        for (const int member : transform.members(g)) {
            const std::vector<int>& memberTerms = inner.termsOfParameter(member);
            terms.insert(terms.end(), memberTerms.begin(), memberTerms.end());
        }
        std::sort(terms.begin(), terms.end());
        terms.erase(std::unique(terms.begin(), terms.end()), terms.end());
    }
}

double TransformedFunc::operator()(const std::vector<double>& z)
{
    moveTo(z);
    return m_inner(m_x);
}

int TransformedFunc::termCount() const
{
    return m_inner.termCount();
}

const std::vector<int>& TransformedFunc::termsOfParameter(int j) const
{
    return m_groupTerms[static_cast<std::size_t>(m_transform.groupOf(j))];
}

double TransformedFunc::termsValue(const std::vector<double>& z, const std::vector<int>& terms)
{
    moveTo(z);
    return m_inner.termsValue(m_x, terms);
}

void TransformedFunc::termValues(const std::vector<double>& z, std::vector<double>& values)
{
    moveTo(z);
    m_inner.termValues(m_x, values);
}

bool TransformedFunc::hasExactGradient() const
{
    return m_inner.hasExactGradient();
}

void TransformedFunc::addTermsGradient(const std::vector<double>& z, const std::vector<int>& terms,
                                       std::vector<double>& g)
{
    moveTo(z);
    m_parameterGradient.assign(m_x.size(), 0.0);
    m_inner.addTermsGradient(m_x, terms, m_parameterGradient);
    m_transform.addCoordinateGradient(m_x, m_parameterGradient, g);
}

const std::vector<double>& TransformedFunc::parametersAt(const std::vector<double>& z)
{
    moveTo(z);
    return m_x;
}

void TransformedFunc::moveTo(const std::vector<double>& z)
{
    if (z.size() != m_z.size())
        throw std::invalid_argument("transformed function: wrong number of coordinates");
    for (int g = 0; g < m_transform.groupCount(); ++g) {
        const std::vector<int>& members = m_transform.members(g);
        // A coordinate that is not a number never compares equal, so its group is redone.
        const bool moved = !m_current || std::any_of(members.begin(), members.end(), [&](int i) {
            return !(z[static_cast<std::size_t>(i)] == m_z[static_cast<std::size_t>(i)]);
        });
        if (!moved)
            continue;
        for (const int i : members)
            m_z[static_cast<std::size_t>(i)] = z[static_cast<std::size_t>(i)];
        m_transform.groupToParameters(g, m_z, m_x);
    }
    m_current = true;
}

} // namespace lum
