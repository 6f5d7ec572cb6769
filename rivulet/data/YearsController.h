#pragma once

#include "rivulet/data/RivuletDb.h"
#include "rivulet/data/YearsControllerI.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace rivulet {

// The migration years of the study, read from the table "years". Lists are as of the last
// refresh(); the write operations change the table only.
//
//     YearsController years;
//     years.refresh();
//     for (int y = 0; y < years.count(); ++y)
//         use(years.years().at(y), years.beginDays().at(y), years.endDays().at(y));
class YearsController : public YearsControllerI
{
public:
    // firstYear() when no year is active.
    static constexpr int noYear = 3000;

    explicit YearsController(RivuletDb& rdb = RivuletDb::instance()) : m_rdb(rdb) {}

    void refresh() override;
    int count() const override { return m_ids.size(); }
    QList<int> ids() const override { return m_ids; }
    int indexOf(int yearId) const override { return m_positions.value(yearId, -1); }
    QList<int> years() const override { return m_years; }
    QStringList yearLabels() const override { return m_yearLabels; }
    int firstYear() const override { return m_firstYear; }

    // Julian day numbers of the active years' first and last instants.
    QList<double> beginDays() const { return m_beginDays; }
    QList<double> endDays() const { return m_endDays; }
    // Every year, active or not, in chronological (`sequence`) order.
    QList<int> allIds() const { return m_allIds; }
    QList<int> allYears() const { return m_allYears; }

    // The id of the calendar year of a "yyyy-MM-dd HH:mm:ss" text (the number before the first
    // "-"), adding the year when it is new; an input error when the text holds no year.
    lum::Expected<int> yearId(const QString& dateTime);
    // The same for a calendar year: a new year runs from 1 January 00:00:00 to 31 December
    // 23:59:59.
    lum::Expected<int> calendarYearId(int year);

    // After a load: every year gets its chronological position as sequence and active position.
    lum::Expected<void> orderYears();
    // Every year takes part again, in chronological order.
    lum::Expected<void> resetActive();
    // Takes the year out of the analysis; later years (of ids() as of the last refresh) move up
    // one position. One transaction.
    lum::Expected<void> removeYear(int yearId);

private:
    lum::SqliteDb* db() const { return m_rdb.database(); }
    const lum::DbModel* model() const { return m_rdb.model(RivuletDb::Years); }
    QString column(int i) const;

    RivuletDb& m_rdb;
    QList<int> m_ids;
    QHash<int, int> m_positions;
    QList<double> m_beginDays;
    QList<double> m_endDays;
    QList<int> m_years;
    QStringList m_yearLabels;
    int m_firstYear = noYear;
    QList<int> m_allIds;
    QList<int> m_allYears;
};

} // namespace rivulet
