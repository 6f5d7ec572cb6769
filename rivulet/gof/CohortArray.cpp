#include "rivulet/gof/CohortArray.h"

#include <numeric>

namespace rivulet::gof {

std::int64_t CohortArray::Row::seenAgain() const
{
    return std::accumulate(next.begin(), next.end(), std::int64_t{0});
}

CohortArray::CohortArray(int occasions) : m_occasions(occasions < 0 ? 0 : occasions) {}

void CohortArray::add(int cohort, int occasion, int nextOccasion, std::int64_t count)
{
    if (cohort < 0 || occasion < cohort || occasion >= m_occasions || nextOccasion >= m_occasions)
        return;
    if ((nextOccasion >= 0 && nextOccasion <= occasion) || count == 0)
        return;
    const std::int64_t key = std::int64_t{cohort} * m_occasions + occasion;
    auto found = m_rows.find(key);
    if (found == m_rows.end())
        found = m_rows.emplace(key, emptyRow()).first;
    if (nextOccasion < 0)
        found->second.neverSeenAgain += count;
    else
        found->second.next[static_cast<std::size_t>(nextOccasion)] += count;
}

void CohortArray::addRow(Row& into, int cohort, int occasion) const
{
    const auto found = m_rows.find(std::int64_t{cohort} * m_occasions + occasion);
    if (found == m_rows.end())
        return;
    for (std::size_t k = 0; k < into.next.size(); ++k)
        into.next[k] += found->second.next[k];
    into.neverSeenAgain += found->second.neverSeenAgain;
}

CohortArray::Row CohortArray::firstReleased(int occasion) const
{
    Row sum = emptyRow();
    addRow(sum, occasion, occasion);
    return sum;
}

CohortArray::Row CohortArray::seenBefore(int occasion) const
{
    Row sum = emptyRow();
    for (int cohort = 0; cohort < occasion; ++cohort)
        addRow(sum, cohort, occasion);
    return sum;
}

CohortArray::Row CohortArray::released(int occasion) const
{
    Row sum = seenBefore(occasion);
    addRow(sum, occasion, occasion);
    return sum;
}

} // namespace rivulet::gof
