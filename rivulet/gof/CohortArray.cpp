#include "rivulet/gof/CohortArray.h"

#include <numeric>

namespace rivulet::gof {

std::int64_t CohortArray::Row::seenAgain() const
{
    return std::accumulate(next.begin(), next.end(), std::int64_t{0});
}

CohortArray::CohortArray(int occasions)
    : occasions_(occasions < 0 ? 0 : occasions),
      rows_(static_cast<std::size_t>(occasions_) * static_cast<std::size_t>(occasions_), emptyRow())
{
}

CohortArray::Row& CohortArray::row(int cohort, int occasion)
{
    return rows_[static_cast<std::size_t>(cohort) * static_cast<std::size_t>(occasions_) +
                 static_cast<std::size_t>(occasion)];
}

void CohortArray::add(int cohort, int occasion, int nextOccasion, std::int64_t count)
{
    if (cohort < 0 || occasion < cohort || occasion >= occasions_ || nextOccasion >= occasions_)
        return;
    if (nextOccasion >= 0 && nextOccasion <= occasion)
        return;
    Row& target = row(cohort, occasion);
    if (nextOccasion < 0)
        target.neverSeenAgain += count;
    else
        target.next[static_cast<std::size_t>(nextOccasion)] += count;
}

void CohortArray::addRow(Row& into, const Row& from)
{
    for (std::size_t k = 0; k < into.next.size(); ++k)
        into.next[k] += from.next[k];
    into.neverSeenAgain += from.neverSeenAgain;
}

CohortArray::Row CohortArray::firstReleased(int occasion) const
{
    Row sum = emptyRow();
    if (occasion >= 0 && occasion < occasions_)
        addRow(sum,
               rows_[static_cast<std::size_t>(occasion) * static_cast<std::size_t>(occasions_) +
                     static_cast<std::size_t>(occasion)]);
    return sum;
}

CohortArray::Row CohortArray::seenBefore(int occasion) const
{
    Row sum = emptyRow();
    for (int cohort = 0; cohort < occasion && occasion < occasions_; ++cohort)
        addRow(sum, rows_[static_cast<std::size_t>(cohort) * static_cast<std::size_t>(occasions_) +
                          static_cast<std::size_t>(occasion)]);
    return sum;
}

CohortArray::Row CohortArray::released(int occasion) const
{
    Row sum = seenBefore(occasion);
    addRow(sum, firstReleased(occasion));
    return sum;
}

} // namespace rivulet::gof
