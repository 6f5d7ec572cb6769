#pragma once

#include <vector>

namespace lum {

// Maps unconstrained coordinates z (one per parameter) to parameters x that are shares of a
// budget: the parameters fall into groups, and the members of a group with budget B get
//
//     x_i = B · e^{z_i} / (1 + Σ_j e^{z_j})      (j over the group's members)
//
// a multinomial logit against a remainder, so every member lies in [0, B] and the members'
// sum never exceeds B, whatever the coordinates. A group of one member with budget 1 is the
// logistic function. An optimizer can then move freely while the parameters stay proper
// probabilities.
//
// A group with a budget of 0 or less has no room at all: its members are 0 whatever their
// coordinates, and those coordinates do not change anything.
//
// Numerically the largest exponent is factored out, so no coordinate overflows, and each
// group's share is shrunk by a few units of rounding so that the members, added in any
// order, stay below the budget also in floating point. A coordinate that is not a number
// gives members that are not numbers (a bad point of the objective).
class SoftmaxTransform
{
public:
    struct Group
    {
        std::vector<int> members;
        double budget = 1.0;
    };

    SoftmaxTransform() = default;
    // Every parameter 0 .. size-1 must belong to exactly one group; otherwise throws
    // std::invalid_argument.
    SoftmaxTransform(int size, std::vector<Group> groups);

    int size() const { return static_cast<int>(m_groupOf.size()); }
    int groupCount() const { return static_cast<int>(m_groups.size()); }
    int groupOf(int i) const { return m_groupOf[static_cast<std::size_t>(i)]; }
    const std::vector<int>& members(int g) const
    {
        return m_groups[static_cast<std::size_t>(g)].members;
    }
    // The budget the group's members share, never below 0.
    double budget(int g) const { return m_groups[static_cast<std::size_t>(g)].budget; }

    // x (resized to size()) from z.
    void toParameters(const std::vector<double>& z, std::vector<double>& x) const;
    // The members of group g only; x must have size() elements already.
    void groupToParameters(int g, const std::vector<double>& z, std::vector<double>& x) const;
    // The chain rule through the transform: adds to gz (size() elements) the gradient in the
    // coordinates of a function whose gradient in the parameters is gx, where x are the
    // parameters of the coordinates. Within a group of effective budget B (the budget times the
    // shrink factor), dx_i/dz_k = x_i (δ_ik - x_k / B); a group without room adds nothing.
    void addCoordinateGradient(const std::vector<double>& x, const std::vector<double>& gx,
                               std::vector<double>& gz) const;
    // z (resized to size()) from x, the inverse of toParameters() for members in (0, B) with a
    // sum below B. A member at or below 0 gets a coordinate far out (about -700, where the
    // member is 0 to double precision); a group without room gets coordinates 0.
    void toCoordinates(const std::vector<double>& x, std::vector<double>& z) const;

private:
    std::vector<Group> m_groups;
    std::vector<int> m_groupOf;
    std::vector<double> m_shrink; // per group: the factor below 1 that keeps sums under budget
};

} // namespace lum
