#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace rivulet::gof {

// The counts the component tests read: for every release cohort (the fish first released at
// one occasion) and every occasion at which fish of that cohort were released (the release
// itself, then every later detection after which they went on), where those fish were seen
// next, and how many were never seen again.
//
// This is the m-array kept apart by cohort: summing the cohorts gives the classic reduced
// m-array (Test 2 reads that), and keeping them apart tells, at each occasion, fish seen
// before it from fish seen there for the first time (Test 3 needs that split).
//
// A fish removed at a detection is counted where it was seen next but is never released
// there, so it leaves every row below that point.
class CohortArray
{
public:
    struct Row
    {
        // next[k]: fish of the row whose next detection was at occasion k.
        std::vector<std::int64_t> next;
        std::int64_t neverSeenAgain = 0;

        std::int64_t seenAgain() const;
        std::int64_t total() const { return seenAgain() + neverSeenAgain; }
    };

    explicit CohortArray(int occasions);

    int occasions() const { return m_occasions; }

    // Adds `count` fish of the cohort released at `cohort`, released (again) at `occasion`,
    // whose next detection was at `nextOccasion`; -1 for never seen again. Ignores counts that
    // cannot happen (an occasion before the cohort's, a next detection not after the occasion,
    // positions outside the array): the adapters pass whatever their sources hold.
    void add(int cohort, int occasion, int nextOccasion, std::int64_t count = 1);

    // The fish released at `occasion` that were first released there (cohort == occasion).
    Row firstReleased(int occasion) const;
    // The fish released at `occasion` that had been seen before it (every earlier cohort).
    Row seenBefore(int occasion) const;
    // Every fish released at `occasion`: the row of the reduced m-array.
    Row released(int occasion) const;

private:
    Row emptyRow() const { return Row{std::vector<std::int64_t>(m_occasions, 0), 0}; }
    void addRow(Row& into, int cohort, int occasion) const;

    int m_occasions;
    // Keyed by cohort * m_occasions + occasion; only the rows that hold fish, since most
    // (cohort, occasion) pairs of a long river are empty.
    std::unordered_map<std::int64_t, Row> m_rows;
};

} // namespace rivulet::gof
