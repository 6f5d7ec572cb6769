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
    explicit Components(int size) : parent_(static_cast<std::size_t>(size))
    {
        std::iota(parent_.begin(), parent_.end(), 0);
    }
    int root(int i)
    {
        while (parent_[static_cast<std::size_t>(i)] != i) {
            int& up = parent_[static_cast<std::size_t>(i)];
            up = parent_[static_cast<std::size_t>(up)];
            i = up;
        }
        return i;
    }
    void join(int a, int b) { parent_[static_cast<std::size_t>(root(a))] = root(b); }

private:
    std::vector<int> parent_;
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
