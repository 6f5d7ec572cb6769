#include "rivulet/model/ModelTransform.h"

#include "rivulet/model/ParameterStructure.h"
#include "rivulet/model/ProbabilitySets.h"

#include <algorithm>
#include <numeric>

namespace rivulet {

namespace {

// Union-find over the free positions, with path halving.
class Components
{
public:
    explicit Components(int size) : m_parent(static_cast<std::size_t>(size))
    {
        std::iota(m_parent.begin(), m_parent.end(), 0);
    }
    int root(int i)
    {
        while (m_parent[static_cast<std::size_t>(i)] != i) {
            int& up = m_parent[static_cast<std::size_t>(i)];
            up = m_parent[static_cast<std::size_t>(up)];
            i = up;
        }
        return i;
    }
    void join(int a, int b) { m_parent[static_cast<std::size_t>(root(a))] = root(b); }

private:
    std::vector<int> m_parent;
};

} // namespace

lum::SoftmaxTransform modelTransform(const ParameterStructure& structure)
{
    const int k = structure.numFree();
    const std::vector<ProbabilitySet> sets = probabilitySets(structure);
    Components components(k);
    for (const ProbabilitySet& set : sets) {
        for (std::size_t m = 1; m < set.freeIndices.size(); ++m)
            components.join(set.freeIndices[0], set.freeIndices[m]);
    }

    std::vector<double> budgets(static_cast<std::size_t>(k), 1.0);
    for (const ProbabilitySet& set : sets) {
        if (set.freeIndices.empty())
            continue;
        double& budget = budgets[static_cast<std::size_t>(components.root(set.freeIndices[0]))];
        budget = std::min(budget, 1.0 - set.fixedSum);
    }

    // Groups in the order of their lowest member, members ascending.
    std::vector<int> groupOfRoot(static_cast<std::size_t>(k), -1);
    std::vector<lum::SoftmaxTransform::Group> groups;
    for (int i = 0; i < k; ++i) {
        const int root = components.root(i);
        int& g = groupOfRoot[static_cast<std::size_t>(root)];
        if (g < 0) {
            g = static_cast<int>(groups.size());
            groups.push_back({{}, budgets[static_cast<std::size_t>(root)]});
        }
        groups[static_cast<std::size_t>(g)].members.push_back(i);
    }
    return lum::SoftmaxTransform(k, std::move(groups));
}

} // namespace rivulet
