#include "lum/estimation/ReducedCovariance.h"

#include "lum/estimation/Func.h"
#include "lum/estimation/SVD.h"
#include "lum/estimation/SoftmaxTransform.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace lum {

namespace {

// A direction of the parameters that keeps every held quantity: one parameter, or one
// parameter against its group's pivot (coefficient -1), with the difference step along it.
struct Direction
{
    std::vector<std::pair<int, double>> entries;
    double step = 0.0;
};

void move(std::vector<double>& point, const Direction& d, double amount)
{
    for (const auto& [i, coefficient] : d.entries)
        point[static_cast<std::size_t>(i)] += amount * coefficient;
}

// The directions that keep the parameters set aside in `statuses` where they are.
std::vector<Direction> freeDirections(const std::vector<double>& x,
                                      const SoftmaxTransform& transform, double step,
                                      std::vector<ReducedCovariance::Status>& statuses)
{
    using Status = ReducedCovariance::Status;
    std::vector<Direction> directions;
    for (int g = 0; g < transform.groupCount(); ++g) {
        const std::vector<int>& members = transform.members(g);
        const double budget = transform.budget(g);
        const double near = ReducedCovariance::BoundDistance * budget;
        std::vector<int> inside;
        double used = 0.0;
        for (const int i : members) {
            const double xi = x[static_cast<std::size_t>(i)];
            used += xi;
            if (budget <= 0.0 || xi <= near)
                statuses[static_cast<std::size_t>(i)] = Status::AtBound;
            else
                inside.push_back(i);
        }
        if (inside.empty())
            continue;
        const auto xOf = [&x](int i) { return x[static_cast<std::size_t>(i)]; };
        if (budget - used > near) {
            for (const int i : inside)
                directions.push_back({{{i, 1.0}}, step * xOf(i)});
            continue;
        }
        // The group uses up its budget: its members move only against each other, here against
        // the largest, which has the most room to give.
        const int pivot = *std::max_element(inside.begin(), inside.end(),
                                            [&](int a, int b) { return xOf(a) < xOf(b); });
        if (inside.size() == 1) {
            statuses[static_cast<std::size_t>(pivot)] = Status::AtBound;
            continue;
        }
        for (const int i : inside) {
            if (i != pivot)
                directions.push_back({{{i, 1.0}, {pivot, -1.0}}, step * xOf(i)});
        }
    }
    return directions;
}

std::vector<int> termsOf(Func& func, const Direction& d)
{
    std::vector<int> terms;
    for (const auto& entry : d.entries) {
        const std::vector<int>& own = func.termsOfParameter(entry.first);
        terms.insert(terms.end(), own.begin(), own.end());
    }
    std::sort(terms.begin(), terms.end());
    terms.erase(std::unique(terms.begin(), terms.end()), terms.end());
    return terms;
}

double along(const std::vector<double>& g, const Direction& d)
{
    double sum = 0.0;
    for (const auto& [i, coefficient] : d.entries)
        sum += coefficient * g[static_cast<std::size_t>(i)];
    return sum;
}

// The Hessian of func at x along the directions: from differences of the exact gradient, or
// of values where there is none. False when cancelled.
bool reducedHessian(Func& func, const std::vector<double>& x,
                    const std::vector<Direction>& directions, const std::atomic<bool>& cancelled,
                    DenseMatrix& hessian)
{
    const int r = static_cast<int>(directions.size());
    hessian.resize(r, r);
    std::vector<double> point = x;
    if (func.hasExactGradient()) {
        std::vector<double> up(x.size());
        std::vector<double> down(x.size());
        for (int k = 0; k < r; ++k) {
            if (cancelled)
                return false;
            const Direction& d = directions[static_cast<std::size_t>(k)];
            const std::vector<int> terms = termsOf(func, d);
            std::fill(up.begin(), up.end(), 0.0);
            std::fill(down.begin(), down.end(), 0.0);
            move(point, d, d.step);
            func.addTermsGradient(point, terms, up);
            point = x;
            move(point, d, -d.step);
            func.addTermsGradient(point, terms, down);
            point = x;
            for (int l = 0; l < r; ++l) {
                const Direction& e = directions[static_cast<std::size_t>(l)];
                hessian(l, k) = (along(up, e) - along(down, e)) / (2.0 * d.step);
            }
        }
    } else {
        const double base = func.countedValue(x);
        for (int k = 0; k < r; ++k) {
            const Direction& d = directions[static_cast<std::size_t>(k)];
            for (int l = 0; l <= k; ++l) {
                if (cancelled)
                    return false;
                const Direction& e = directions[static_cast<std::size_t>(l)];
                const auto value = [&](double a, double b) {
                    point = x;
                    move(point, d, a * d.step);
                    move(point, e, b * e.step);
                    return func.countedValue(point);
                };
                hessian(k, l) = hessian(l, k) =
                    l == k ? (value(1, 0) - 2.0 * base + value(-1, 0)) / (d.step * d.step)
                           : (value(1, 1) - value(1, -1) - value(-1, 1) + value(-1, -1)) /
                                 (4.0 * d.step * e.step);
            }
        }
    }
    for (int k = 0; k < r; ++k) {
        for (int l = 0; l < k; ++l)
            hessian(k, l) = hessian(l, k) = 0.5 * (hessian(k, l) + hessian(l, k));
    }
    return true;
}

} // namespace

int ReducedCovariance::Result::atBound() const
{
    return static_cast<int>(std::count(statuses.begin(), statuses.end(), Status::AtBound));
}

int ReducedCovariance::Result::notEstimable() const
{
    return static_cast<int>(std::count(statuses.begin(), statuses.end(), Status::NotEstimable));
}

std::vector<int> ReducedCovariance::atBound(const std::vector<double>& x,
                                            const SoftmaxTransform& transform)
{
    // The same rule that sets them aside in compute(); the directions themselves are not needed.
    std::vector<Status> statuses(x.size(), Status::Estimated);
    freeDirections(x, transform, 0.0, statuses);
    std::vector<int> bound;
    for (std::size_t i = 0; i < statuses.size(); ++i) {
        if (statuses[i] == Status::AtBound)
            bound.push_back(static_cast<int>(i));
    }
    return bound;
}

ReducedCovariance::ReducedCovariance(const std::atomic<bool>& cancelled, double step)
    : m_cancelled(cancelled), m_step(step)
{
}

bool ReducedCovariance::compute(Func& func, const std::vector<double>& x,
                                const SoftmaxTransform& transform, Result& result) const
{
    const int n = static_cast<int>(x.size());
    result.statuses.assign(x.size(), Status::Estimated);
    result.covariance.resize(n, n);
    result.rank = 0;
    const std::vector<Direction> directions = freeDirections(x, transform, m_step, result.statuses);
    const int r = static_cast<int>(directions.size());
    DenseMatrix hessian;
    if (!reducedHessian(func, x, directions, m_cancelled, hessian))
        return false;

    // A Hessian element that is not finite leaves its direction uninformed.
    std::vector<char> finite(static_cast<std::size_t>(r), 1);
    for (int k = 0; k < r; ++k) {
        for (int l = 0; l < r; ++l) {
            if (!std::isfinite(hessian(k, l)))
                finite[static_cast<std::size_t>(k)] = finite[static_cast<std::size_t>(l)] = 0;
        }
    }
    for (int k = 0; k < r; ++k) {
        if (finite[static_cast<std::size_t>(k)])
            continue;
        for (int l = 0; l < r; ++l)
            hessian(k, l) = hessian(l, k) = 0.0;
    }

    // For a symmetric matrix the singular vectors are its eigenvectors; an eigenvalue is
    // negative where the left and right vectors point apart.
    std::vector<double> inverseValues(static_cast<std::size_t>(r), 0.0);
    std::vector<int> flat;
    DenseMatrix v(r, r);
    if (r > 0) {
        const NR3::SVD svd(hessian);
        v = svd.v();
        const double largest = svd.w().empty() ? 0.0 : svd.w().front();
        for (int k = 0; k < r; ++k) {
            double sign = 0.0;
            for (int i = 0; i < r; ++i)
                sign += svd.u()(i, k) * v(i, k);
            const double w = svd.w()[static_cast<std::size_t>(k)];
            if (sign > 0.0 && w > Tolerance * largest && largest > 0.0) {
                inverseValues[static_cast<std::size_t>(k)] = 1.0 / w;
                ++result.rank;
            } else {
                flat.push_back(k);
            }
        }
    }

    // The parameters that move along a flat direction are not estimable.
    for (const int k : flat) {
        std::vector<double> u(x.size(), 0.0);
        double largest = 0.0;
        for (int d = 0; d < r; ++d) {
            for (const auto& [i, coefficient] : directions[static_cast<std::size_t>(d)].entries) {
                u[static_cast<std::size_t>(i)] += coefficient * v(d, k);
                largest = std::max(largest, std::abs(u[static_cast<std::size_t>(i)]));
            }
        }
        for (int i = 0; i < n; ++i) {
            if (std::abs(u[static_cast<std::size_t>(i)]) > 1e-3 * largest)
                result.statuses[static_cast<std::size_t>(i)] = Status::NotEstimable;
        }
    }

    // The covariance Z H⁺ Zᵀ, Z the directions as columns.
    DenseMatrix reduced(r, r);
    for (int a = 0; a < r; ++a) {
        for (int b = 0; b < r; ++b) {
            double sum = 0.0;
            for (int k = 0; k < r; ++k)
                sum += v(a, k) * inverseValues[static_cast<std::size_t>(k)] * v(b, k);
            reduced(a, b) = sum;
        }
    }
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            result.covariance(i, j) = 0.0;
    for (int a = 0; a < r; ++a) {
        for (int b = 0; b < r; ++b) {
            for (const auto& [i, ci] : directions[static_cast<std::size_t>(a)].entries)
                for (const auto& [j, cj] : directions[static_cast<std::size_t>(b)].entries)
                    result.covariance(i, j) += ci * cj * reduced(a, b);
        }
    }

    // An estimate without a usable variance is not estimable either.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (int i = 0; i < n; ++i) {
        Status& status = result.statuses[static_cast<std::size_t>(i)];
        if (status == Status::Estimated &&
            !(result.covariance(i, i) > 0.0 && std::isfinite(result.covariance(i, i))))
            status = Status::NotEstimable;
        if (status != Status::NotEstimable)
            continue;
        for (int j = 0; j < n; ++j)
            result.covariance(i, j) = result.covariance(j, i) = nan;
    }
    return true;
}

} // namespace lum
