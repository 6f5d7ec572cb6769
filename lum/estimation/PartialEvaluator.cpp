#include "lum/estimation/PartialEvaluator.h"

#include "lum/estimation/Func.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>

namespace lum {

PartialEvaluator::PartialEvaluator(Func& func) : m_func(func), m_usesTerms(func.termCount() > 1)
{
    if (m_usesTerms)
        m_pairTerms.reserve(static_cast<std::size_t>(func.termCount()));
}

void PartialEvaluator::moveTo(const std::vector<double>& x)
{
    m_x = x;
    m_work = x;
    m_baseValue = 0.0;
}

void PartialEvaluator::setBase()
{
    if (m_usesTerms)
        m_func.countedTermValues(m_x, m_termValues);
    else
        m_baseValue = m_func.countedValue(m_x);
}

void PartialEvaluator::setKnownBase(double f)
{
    if (m_usesTerms)
        m_func.countedTermValues(m_x, m_termValues);
    else
        m_baseValue = f;
}

bool PartialEvaluator::select(int i)
{
    if (!m_usesTerms)
        return true;
    m_selected = &m_func.termsOfParameter(i);
    return !m_selected->empty();
}

bool PartialEvaluator::select(int i, int j)
{
    if (!m_usesTerms)
        return true;
    const std::vector<int>& a = m_func.termsOfParameter(i);
    const std::vector<int>& b = m_func.termsOfParameter(j);
    m_pairTerms.clear();
    std::set_intersection(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(m_pairTerms));
    m_selected = &m_pairTerms;
    return !m_pairTerms.empty();
}

double PartialEvaluator::baseValue() const
{
    return m_usesTerms ? sumAtBase() : m_baseValue;
}

double PartialEvaluator::valueWith(int i, double xi)
{
    m_work[i] = xi;
    const double value = selectedValue();
    m_work[i] = m_x[i];
    return value;
}

double PartialEvaluator::valueWith(int i, double xi, int j, double xj)
{
    m_work[i] = xi;
    m_work[j] = xj;
    const double value = selectedValue();
    m_work[i] = m_x[i];
    m_work[j] = m_x[j];
    return value;
}

double PartialEvaluator::selectedValue()
{
    if (!m_usesTerms)
        return m_func.countedValue(m_work);
    if (m_selected->empty())
        return 0.0;
    return m_func.countedTermsValue(m_work, *m_selected);
}

double PartialEvaluator::sumAtBase() const
{
    double sum = 0.0;
    for (const int t : *m_selected)
        sum += m_termValues[static_cast<std::size_t>(t)];
    return std::isfinite(sum) ? sum : std::numeric_limits<double>::max();
}

} // namespace lum
