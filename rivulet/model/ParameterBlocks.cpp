#include "rivulet/model/ParameterBlocks.h"

#include "lum/estimation/Func.h"

#include <algorithm>
#include <numeric>

namespace rivulet {

// The connected components of the free parameters, two parameters joined when they enter a
// common term or move together in the transform; in the order of their lowest parameter.
std::vector<ParameterBlock> parameterBlocks(const lum::Func& likelihood,
                                            const lum::SoftmaxTransform& transform)
{
    const int k = transform.size();
    std::vector<int> parent(static_cast<std::size_t>(k));
    std::iota(parent.begin(), parent.end(), 0);
    const auto root = [&parent](int i) {
        while (parent[static_cast<std::size_t>(i)] != i) {
            int& up = parent[static_cast<std::size_t>(i)];
            up = parent[static_cast<std::size_t>(up)];
            i = up;
        }
        return i;
    };
    const auto join = [&](int a, int b) { parent[static_cast<std::size_t>(root(a))] = root(b); };
    std::vector<int> firstOfTerm(static_cast<std::size_t>(likelihood.termCount()), -1);
    for (int j = 0; j < k; ++j) {
        for (const int t : likelihood.termsOfParameter(j)) {
            int& first = firstOfTerm[static_cast<std::size_t>(t)];
            if (first < 0) {
                first = j;
            } else {
                join(j, first);
            }
        }
    }
    for (int g = 0; g < transform.groupCount(); ++g) {
        const std::vector<int>& members = transform.members(g);
        for (std::size_t m = 1; m < members.size(); ++m) {
            join(members[0], members[m]);
        }
    }
    std::vector<int> blockOfRoot(static_cast<std::size_t>(k), -1);
    std::vector<ParameterBlock> blocks;
    for (int j = 0; j < k; ++j) {
        int& b = blockOfRoot[static_cast<std::size_t>(root(j))];
        if (b < 0) {
            b = static_cast<int>(blocks.size());
            blocks.emplace_back();
        }
        ParameterBlock& block = blocks[static_cast<std::size_t>(b)];
        block.parameters.push_back(j);
        const std::vector<int>& terms = likelihood.termsOfParameter(j);
        block.terms.insert(block.terms.end(), terms.begin(), terms.end());
    }
    for (ParameterBlock& block : blocks) {
        std::sort(block.terms.begin(), block.terms.end());
        block.terms.erase(std::unique(block.terms.begin(), block.terms.end()), block.terms.end());
    }
    return blocks;
}

lum::SoftmaxTransform blockTransform(const lum::SoftmaxTransform& transform,
                                     const std::vector<int>& parameters, int held, double heldValue)
{
    std::vector<lum::SoftmaxTransform::Group> groups;
    std::vector<int> seen;
    for (const int p : parameters) {
        const int g = transform.groupOf(p);
        if (std::find(seen.begin(), seen.end(), g) != seen.end()) {
            continue;
        }
        seen.push_back(g);
        lum::SoftmaxTransform::Group group;
        group.budget = transform.budget(g);
        if (held >= 0 && transform.groupOf(held) == g) {
            group.budget = std::max(0.0, group.budget - heldValue);
        }
        for (const int member : transform.members(g)) {
            const auto at = std::lower_bound(parameters.begin(), parameters.end(), member);
            if (at != parameters.end() && *at == member) {
                group.members.push_back(static_cast<int>(at - parameters.begin()));
            }
        }
        groups.push_back(std::move(group));
    }
    return lum::SoftmaxTransform(static_cast<int>(parameters.size()), std::move(groups));
}

} // namespace rivulet
