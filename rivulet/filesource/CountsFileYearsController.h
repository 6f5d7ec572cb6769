#pragma once

#include "rivulet/data/YearsControllerI.h"

namespace rivulet {

// Migration years without a database, for simulated data. The id of a year is its
// position. Starts empty; refresh() does nothing; firstYear() is always 2008, the first
// year of the simulated data sets, whatever years it holds.
class CountsFileYearsController : public YearsControllerI
{
public:
    static constexpr int SimulatedFirstYear = 2008;

    void refresh() override {}
    int count() const override { return m_ids.size(); }
    QList<int> ids() const override { return m_ids; }
    int indexOf(int yearId) const override { return m_ids.indexOf(yearId); }
    QList<int> years() const override { return m_years; }
    QStringList yearLabels() const override { return m_yearLabels; }
    int firstYear() const override { return SimulatedFirstYear; }

    // Replaces the years (calendar years, in chronological order).
    void setYears(const QList<int>& years);
    void clear();

private:
    QList<int> m_ids;
    QList<int> m_years;
    QStringList m_yearLabels;
};

} // namespace rivulet
