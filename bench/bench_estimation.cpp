// Cost of the optimizers and of the numerical Hessian on a function that is a sum of terms,
// with and without use of its term structure.
//
//   bench_estimation [benchmark options]
//
// The function imitates the likelihood of a model with twelve releases: each term (release)
// has eight parameters of its own and shares four with every other term. Counters report term
// evaluations per run, the measure of work that does not depend on the cost of one term.
#include "lum/estimation/CovarianceCalculator.h"
#include "lum/estimation/DenseMatrix.h"
#include "lum/estimation/Func.h"
#include "lum/estimation/LUdcmp.h"
#include "lum/estimation/OptimizerFactory.h"
#include "lum/estimation/OptimizerI.h"
#include "lum/estimation/SVD.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

namespace {

constexpr int TERMS = 12;
constexpr int OWN = 8;
constexpr int SHARED = 4;
constexpr int PARAMETERS = SHARED + TERMS * OWN;

class ReleaseLikeFunction : public lum::Func
{
public:
    ReleaseLikeFunction() : m_termsOfParameter(PARAMETERS), m_allTerms(TERMS)
    {
        for (int t = 0; t < TERMS; ++t) {
            m_allTerms[t] = t;
            for (int j = 0; j < SHARED; ++j)
                m_termsOfParameter[j].push_back(t);
            for (int k = 0; k < OWN; ++k)
                m_termsOfParameter[SHARED + t * OWN + k].push_back(t);
        }
    }

    double operator()(const std::vector<double>& x) override { return termsValue(x, m_allTerms); }
    int termCount() const override { return TERMS; }
    const std::vector<int>& termsOfParameter(int j) const override
    {
        return m_termsOfParameter[static_cast<std::size_t>(j)];
    }
    double termsValue(const std::vector<double>& x, const std::vector<int>& terms) override
    {
        double sum = 0.0;
        for (const int t : terms)
            sum += term(x, t);
        return std::isfinite(sum) ? sum : std::numeric_limits<double>::max();
    }

private:
    // A smooth, coupled term with its minimum near 0.3 for every parameter.
    static double term(const std::vector<double>& x, int t)
    {
        double squares = 0.0;
        double total = 0.0;
        auto add = [&](int j, double target) {
            const double d = x[static_cast<std::size_t>(j)] - target;
            squares += d * d + 0.1 * d * d * d * d;
            total += x[static_cast<std::size_t>(j)];
        };
        for (int j = 0; j < SHARED; ++j)
            add(j, 0.3);
        for (int k = 0; k < OWN; ++k)
            add(SHARED + t * OWN + k, 0.25 + 0.01 * k + 0.005 * t);
        const double coupling = total - 0.3 * (SHARED + OWN);
        return squares + 0.5 * coupling * coupling + 10.0;
    }

    std::vector<std::vector<int>> m_termsOfParameter;
    std::vector<int> m_allTerms;
};

// The same function without its term structure.
class PlainFunction : public lum::Func
{
public:
    double operator()(const std::vector<double>& x) override { return m_inner(x); }

private:
    ReleaseLikeFunction m_inner;
};

std::unique_ptr<lum::Func> makeFunction(bool structured)
{
    if (structured)
        return std::make_unique<ReleaseLikeFunction>();
    return std::make_unique<PlainFunction>();
}

// Term evaluations of one evaluation of the full function.
double termsPerEvaluation(const lum::Func& func)
{
    return static_cast<double>(func.termCount() == 1 ? TERMS : 1);
}

void BM_Optimize(benchmark::State& state)
{
    const int optimizerId = static_cast<int>(state.range(0));
    const bool structured = state.range(1) != 0;
    std::unique_ptr<lum::OptimizerI> optimizer = lum::createOptimizer(QString::number(optimizerId));
    const std::atomic<bool> cancelled{false};
    double termEvaluations = 0.0;
    for (auto _ : state) {
        std::unique_ptr<lum::Func> func = makeFunction(structured);
        std::vector<double> x(PARAMETERS, 0.5);
        int iterations = 0;
        optimizer->optimize(*func, x, cancelled, iterations);
        termEvaluations = static_cast<double>(func->termEvaluations()) * termsPerEvaluation(*func);
        benchmark::DoNotOptimize(x.data());
    }
    state.counters["term_evals"] = termEvaluations;
    state.SetLabel(optimizer->name().toStdString() + (structured ? ", terms" : ", plain"));
}
// The simplex is left out: it gets nowhere in 100 dimensions.
BENCHMARK(BM_Optimize)->ArgsProduct({{0, 1, 2}, {0, 1}})->Unit(benchmark::kMillisecond);

void BM_Covariance(benchmark::State& state)
{
    const bool structured = state.range(0) != 0;
    const std::atomic<bool> cancelled{false};
    double termEvaluations = 0.0;
    for (auto _ : state) {
        std::unique_ptr<lum::Func> func = makeFunction(structured);
        std::vector<double> x(PARAMETERS, 0.3);
        lum::DenseMatrix covariance(PARAMETERS, PARAMETERS);
        const lum::Expected<bool> computed =
            lum::CovarianceCalculator(cancelled).compute(*func, x, covariance);
        benchmark::DoNotOptimize(computed.ok());
        termEvaluations = static_cast<double>(func->termEvaluations()) * termsPerEvaluation(*func);
        benchmark::DoNotOptimize(covariance.elements().data());
    }
    state.counters["term_evals"] = termEvaluations;
    state.SetLabel(structured ? "terms" : "plain");
}
BENCHMARK(BM_Covariance)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_Gradient(benchmark::State& state)
{
    const bool structured = state.range(0) != 0;
    std::unique_ptr<lum::Func> func = makeFunction(structured);
    std::vector<double> x(PARAMETERS, 0.4);
    std::vector<double> g;
    for (auto _ : state) {
        func->gradient(x, g);
        benchmark::DoNotOptimize(g.data());
    }
    state.counters["term_evals"] = static_cast<double>(func->termEvaluations()) *
                                   termsPerEvaluation(*func) /
                                   static_cast<double>(state.iterations());
    state.SetLabel(structured ? "terms" : "plain");
}
BENCHMARK(BM_Gradient)->Arg(0)->Arg(1);

// The linear algebra of the covariance step alone, up to the size of the largest block of the
// simulator's large study: the rank test of the Hessian (values only, as the covariance step
// does it, or with the vectors) and its inverse.
lum::DenseMatrix hessianLike(int n)
{
    lum::DenseMatrix hessian(n, n);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            hessian(i, j) = i == j ? n + 1.0 : 1.0 / (1.0 + i + j);
    return hessian;
}

void BM_RankTest(benchmark::State& state)
{
    const lum::DenseMatrix hessian = hessianLike(static_cast<int>(state.range(0)));
    const auto parts =
        state.range(1) != 0 ? NR3::SVD::Parts::ValuesOnly : NR3::SVD::Parts::ValuesAndVectors;
    for (auto _ : state)
        benchmark::DoNotOptimize(NR3::SVD(hessian, parts).rank());
    state.SetLabel(state.range(1) != 0 ? "values only" : "values and vectors");
}
BENCHMARK(BM_RankTest)->ArgsProduct({{300, 1300}, {0, 1}})->Unit(benchmark::kMillisecond);

void BM_Inverse(benchmark::State& state)
{
    const lum::DenseMatrix hessian = hessianLike(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        lum::DenseMatrix inverse;
        NR3::LUdcmp(hessian).inverse(inverse);
        benchmark::DoNotOptimize(inverse.elements().data());
    }
}
BENCHMARK(BM_Inverse)->Arg(300)->Arg(1300)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
