#pragma once

#include "lum/estimation/DenseMatrix.h"
#include "lum/estimation/Func.h"

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

namespace rivulet::test {

// Rosenbrock's banana valley: minimum 0 at (1, 1).
class Rosenbrock : public lum::Func
{
public:
    double operator()(const std::vector<double>& x) override;
};

// offset + 1/2 (x - c)^T A (x - c), A symmetric positive definite.
class Quadratic : public lum::Func
{
public:
    Quadratic(lum::DenseMatrix a, std::vector<double> centre, double offset);
    double operator()(const std::vector<double>& x) override;
    const lum::DenseMatrix& a() const { return m_a; }
    const std::vector<double>& centre() const { return m_centre; }

private:
    lum::DenseMatrix m_a;
    std::vector<double> m_centre;
    double m_offset;
};

// A 5 x 5 positive definite quadratic with its minimum 2.5 at (1, 2, -1, 0.5, 3).
std::unique_ptr<Quadratic> standardQuadratic();

// A sum of smooth terms, each of two parameters (a, b):
// f_t = w_t (x_a x_b - c_t)^2 + (x_a - 1)^4 / 4 + (x_b - c_t)^2 + 3,
// with a sparse incidence of 7 parameters on 5 terms. Declares its term structure.
class SeparableFunction : public lum::Func
{
public:
    SeparableFunction();
    double operator()(const std::vector<double>& x) override;
    int termCount() const override;
    const std::vector<int>& termsOfParameter(int j) const override;
    double termsValue(const std::vector<double>& x, const std::vector<int>& terms) override;
    // The exact Hessian at x.
    lum::DenseMatrix exactHessian(const std::vector<double>& x) const;
    double term(const std::vector<double>& x, int t) const;

private:
    struct Term
    {
        int a;
        int b;
        double weight;
        double target;
    };
    std::vector<Term> m_terms;
    std::vector<std::vector<int>> m_termsOfParameter;
};

// The same function seen without its term structure: every difference is a full evaluation.
class PlainView : public lum::Func
{
public:
    explicit PlainView(lum::Func& inner) : m_inner(inner) {}
    double operator()(const std::vector<double>& x) override { return m_inner(x); }

private:
    lum::Func& m_inner;
};

// A function given by a callable; `onEvaluate` (if set) runs before every evaluation.
class LambdaFunc : public lum::Func
{
public:
    explicit LambdaFunc(std::function<double(const std::vector<double>&)> f) : m_f(std::move(f)) {}
    double operator()(const std::vector<double>& x) override;
    int evaluations() const { return m_evaluations; }
    std::function<void(int)> onEvaluate;

private:
    std::function<double(const std::vector<double>&)> m_f;
    int m_evaluations = 0;
};

// Largest |a_i - b_i|.
double maxDifference(const std::vector<double>& a, const std::vector<double>& b);
double maxDifference(const lum::DenseMatrix& a, const lum::DenseMatrix& b);

// a * b, or a * b^T.
lum::DenseMatrix product(const lum::DenseMatrix& a, const lum::DenseMatrix& b,
                         bool transposeB = false);

} // namespace rivulet::test
