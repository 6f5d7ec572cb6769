#include "TestFunctions.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace rivulet::test {

double Rosenbrock::operator()(const std::vector<double>& x)
{
    const double a = x[1] - x[0] * x[0];
    const double b = 1.0 - x[0];
    return 100.0 * a * a + b * b;
}

Quadratic::Quadratic(lum::DenseMatrix a, std::vector<double> centre, double offset)
    : m_a(std::move(a)), m_centre(std::move(centre)), m_offset(offset)
{
}

double Quadratic::operator()(const std::vector<double>& x)
{
    double sum = 0.0;
    for (int i = 0; i < m_a.rows(); ++i)
        for (int j = 0; j < m_a.columns(); ++j)
            sum += (x[i] - m_centre[i]) * m_a(i, j) * (x[j] - m_centre[j]);
    return m_offset + 0.5 * sum;
}

std::unique_ptr<Quadratic> standardQuadratic()
{
    const double rows[5][5] = {{4.0, 1.0, 0.5, 0.0, 0.2},
                               {1.0, 3.0, 0.3, 0.1, 0.0},
                               {0.5, 0.3, 2.0, 0.4, 0.1},
                               {0.0, 0.1, 0.4, 1.5, 0.3},
                               {0.2, 0.0, 0.1, 0.3, 5.0}};
    lum::DenseMatrix a(5, 5);
    for (int i = 0; i < 5; ++i)
        for (int j = 0; j < 5; ++j)
            a(i, j) = rows[i][j];
    return std::make_unique<Quadratic>(a, std::vector<double>{1.0, 2.0, -1.0, 0.5, 3.0}, 2.5);
}

SeparableFunction::SeparableFunction()
    : m_terms{{0, 1, 2.0, 1.5},
              {1, 2, 1.0, 0.8},
              {3, 4, 3.0, 2.0},
              {5, 0, 1.5, 1.2},
              {6, 4, 0.5, 0.7}},
      m_termsOfParameter(7)
{
    for (std::size_t t = 0; t < m_terms.size(); ++t) {
        m_termsOfParameter[m_terms[t].a].push_back(static_cast<int>(t));
        m_termsOfParameter[m_terms[t].b].push_back(static_cast<int>(t));
    }
}

double SeparableFunction::term(const std::vector<double>& x, int t) const
{
    const Term& term = m_terms[static_cast<std::size_t>(t)];
    const double xa = x[term.a];
    const double xb = x[term.b];
    const double product = xa * xb - term.target;
    const double shift = xa - 1.0;
    return term.weight * product * product + 0.25 * shift * shift * shift * shift +
           (xb - term.target) * (xb - term.target) + 3.0;
}

double SeparableFunction::operator()(const std::vector<double>& x)
{
    double sum = 0.0;
    for (int t = 0; t < termCount(); ++t)
        sum += term(x, t);
    return sum;
}

int SeparableFunction::termCount() const
{
    return static_cast<int>(m_terms.size());
}

const std::vector<int>& SeparableFunction::termsOfParameter(int j) const
{
    return m_termsOfParameter[static_cast<std::size_t>(j)];
}

double SeparableFunction::termsValue(const std::vector<double>& x, const std::vector<int>& terms)
{
    double sum = 0.0;
    for (const int t : terms)
        sum += term(x, t);
    return std::isfinite(sum) ? sum : std::numeric_limits<double>::max();
}

lum::DenseMatrix SeparableFunction::exactHessian(const std::vector<double>& x) const
{
    lum::DenseMatrix h(7, 7);
    for (const Term& term : m_terms) {
        const double xa = x[term.a];
        const double xb = x[term.b];
        const double product = xa * xb - term.target;
        const double w = term.weight;
        h(term.a, term.a) += 2.0 * w * xb * xb + 3.0 * (xa - 1.0) * (xa - 1.0);
        h(term.b, term.b) += 2.0 * w * xa * xa + 2.0;
        const double mixed = 2.0 * w * (xa * xb + product);
        h(term.a, term.b) += mixed;
        h(term.b, term.a) += mixed;
    }
    return h;
}

double LambdaFunc::operator()(const std::vector<double>& x)
{
    if (onEvaluate)
        onEvaluate(m_evaluations);
    ++m_evaluations;
    return m_f(x);
}

double maxDifference(const std::vector<double>& a, const std::vector<double>& b)
{
    double largest = 0.0;
    for (std::size_t i = 0; i < a.size(); ++i)
        largest = std::max(largest, std::abs(a[i] - b[i]));
    return largest;
}

double maxDifference(const lum::DenseMatrix& a, const lum::DenseMatrix& b)
{
    return maxDifference(a.elements(), b.elements());
}

lum::DenseMatrix product(const lum::DenseMatrix& a, const lum::DenseMatrix& b, bool transposeB)
{
    const int columns = transposeB ? b.rows() : b.columns();
    lum::DenseMatrix c(a.rows(), columns);
    for (int i = 0; i < a.rows(); ++i)
        for (int j = 0; j < columns; ++j)
            for (int k = 0; k < a.columns(); ++k)
                c(i, j) += a(i, k) * (transposeB ? b(j, k) : b(k, j));
    return c;
}

} // namespace rivulet::test
