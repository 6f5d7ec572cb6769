#include "lum/estimation/SoftmaxTransform.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace lum {

namespace {

constexpr double EPSILON = std::numeric_limits<double>::epsilon();
// The smallest share toCoordinates() distinguishes from 0; its logarithm (about -690) is far
// enough out that the optimizers treat such a member as settled at 0.
constexpr double SMALLEST_SHARE = 1e-300;

} // namespace

SoftmaxTransform::SoftmaxTransform(int size, std::vector<Group> groups)
    : m_groups(std::move(groups)), m_groupOf(static_cast<std::size_t>(std::max(size, 0)), -1)
{
    m_shrink.reserve(m_groups.size());
    for (std::size_t g = 0; g < m_groups.size(); ++g) {
        Group& group = m_groups[g];
        group.budget = std::max(group.budget, 0.0);
        for (const int i : group.members) {
            if (i < 0 || i >= size || m_groupOf[static_cast<std::size_t>(i)] != -1)
                throw std::invalid_argument("softmax transform: a parameter outside the range "
                                            "or in two groups");
            m_groupOf[static_cast<std::size_t>(i)] = static_cast<int>(g);
        }
        // Each member and the sum carry a few roundings; a margin of 8 units per term keeps
        // the rounded sum below the budget.
        m_shrink.push_back(1.0 - 8.0 * EPSILON * static_cast<double>(group.members.size() + 2));
    }
    if (std::find(m_groupOf.begin(), m_groupOf.end(), -1) != m_groupOf.end())
        throw std::invalid_argument("softmax transform: a parameter in no group");
}

void SoftmaxTransform::toParameters(const std::vector<double>& z, std::vector<double>& x) const
{
    x.resize(m_groupOf.size());
    for (int g = 0; g < groupCount(); ++g)
        groupToParameters(g, z, x);
}

void SoftmaxTransform::groupToParameters(int g, const std::vector<double>& z,
                                         std::vector<double>& x) const
{
    const Group& group = m_groups[static_cast<std::size_t>(g)];
    if (group.budget <= 0.0) {
        for (const int i : group.members)
            x[static_cast<std::size_t>(i)] = 0.0;
        return;
    }
    // The remainder's exponent is 0; factoring out the largest exponent keeps every
    // exponential at most 1.
    double largest = 0.0;
    for (const int i : group.members)
        largest = std::max(largest, z[static_cast<std::size_t>(i)]);
    double denominator = std::exp(-largest);
    for (const int i : group.members)
        denominator += std::exp(z[static_cast<std::size_t>(i)] - largest);
    const double scale = group.budget * m_shrink[static_cast<std::size_t>(g)] / denominator;
    for (const int i : group.members)
        x[static_cast<std::size_t>(i)] = scale * std::exp(z[static_cast<std::size_t>(i)] - largest);
}

void SoftmaxTransform::addCoordinateGradient(const std::vector<double>& x,
                                             const std::vector<double>& gx,
                                             std::vector<double>& gz) const
{
    for (std::size_t g = 0; g < m_groups.size(); ++g) {
        const Group& group = m_groups[g];
        if (group.budget <= 0.0)
            continue;
        double weighted = 0.0;
        for (const int i : group.members)
            weighted += gx[static_cast<std::size_t>(i)] * x[static_cast<std::size_t>(i)];
        const double perBudget = weighted / (group.budget * m_shrink[g]);
        for (const int i : group.members) {
            const auto k = static_cast<std::size_t>(i);
            gz[k] += x[k] * (gx[k] - perBudget);
        }
    }
}

void SoftmaxTransform::toCoordinates(const std::vector<double>& x, std::vector<double>& z) const
{
    z.assign(m_groupOf.size(), 0.0);
    for (std::size_t g = 0; g < m_groups.size(); ++g) {
        const Group& group = m_groups[g];
        if (group.budget <= 0.0)
            continue;
        const double unshrink = 1.0 / m_shrink[g];
        double remainder = group.budget;
        for (const int i : group.members)
            remainder -= x[static_cast<std::size_t>(i)] * unshrink;
        const double logRemainder = std::log(std::max(remainder, SMALLEST_SHARE));
        for (const int i : group.members) {
            const double share =
                std::max(x[static_cast<std::size_t>(i)] * unshrink, SMALLEST_SHARE);
            z[static_cast<std::size_t>(i)] = std::log(share) - logRemainder;
        }
    }
}

} // namespace lum
