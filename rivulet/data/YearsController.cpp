#include "rivulet/data/YearsController.h"

#include "lum/db/TableData.h"
#include "rivulet/data/SequenceWriter.h"
#include "rivulet/data/TableRows.h"
#include "rivulet/data/YearDbModel.h"

namespace rivulet {

QString YearsController::column(int i) const
{
    return model()->quotedColumnName(i);
}

void YearsController::refresh()
{
    m_ids.clear();
    m_positions.clear();
    m_beginDays.clear();
    m_endDays.clear();
    m_years.clear();
    m_yearLabels.clear();
    m_firstYear = noYear;
    m_allIds.clear();
    m_allYears.clear();
    if (!db())
        return;
    const QString table = model()->tableName();
    const lum::TableData active(
        *db(), QStringLiteral("select ") + column(YearDbModel::Id) +
                   QStringLiteral(", julianday(") + column(YearDbModel::BeginDate) +
                   QStringLiteral("), julianday(") + column(YearDbModel::EndDate) +
                   QStringLiteral("), ") + column(YearDbModel::Year) + QStringLiteral(" from ") +
                   table + QStringLiteral(" where ") + column(YearDbModel::ActiveSequence) +
                   QStringLiteral(" != -1 order by ") + column(YearDbModel::Sequence));
    for (int r = 0; r < active.numRows(); ++r) {
        const int year = active.intValue(r, 3);
        m_positions.insert(active.intValue(r, 0), m_ids.size());
        m_ids.append(active.intValue(r, 0));
        m_beginDays.append(active.doubleValue(r, 1));
        m_endDays.append(active.doubleValue(r, 2));
        m_years.append(year);
        m_yearLabels.append(QString::number(year));
        m_firstYear = qMin(m_firstYear, year);
    }
    const lum::TableData all(
        *db(), QStringLiteral("select ") + column(YearDbModel::Id) + QStringLiteral(", ") +
                   column(YearDbModel::Year) + QStringLiteral(" from ") + table +
                   QStringLiteral(" order by ") + column(YearDbModel::Sequence));
    for (int r = 0; r < all.numRows(); ++r) {
        m_allIds.append(all.intValue(r, 0));
        m_allYears.append(all.intValue(r, 1));
    }
}

lum::Expected<int> YearsController::yearId(const QString& dateTime)
{
    bool ok = false;
    const int year = dateTime.section(QLatin1Char('-'), 0, 0).toInt(&ok);
    if (!ok)
        return lum::Error(lum::JobError::Input,
                          QStringLiteral("\"%1\" does not begin with a year.").arg(dateTime));
    return calendarYearId(year);
}

lum::Expected<int> YearsController::calendarYearId(int year)
{
    if (!db())
        return lum::databaseNotOpen();
    const int id = TableRows::firstId(*db(),
                                      QStringLiteral("select ") + column(YearDbModel::Id) +
                                          QStringLiteral(" from ") + model()->tableName() +
                                          QStringLiteral(" where ") + column(YearDbModel::Year) +
                                          QStringLiteral(" = ?"),
                                      {year});
    if (id != -1)
        return id;
    const QString text = QString::number(year);
    const QString begin = text + QStringLiteral("-01-01 00:00:00");
    const QString end = text + QStringLiteral("-12-31 23:59:59");
    return TableRows::insert(*db(), *model(), {year, begin, end, -1, -1});
}

lum::Expected<void> YearsController::orderYears()
{
    if (!db())
        return lum::databaseNotOpen();
    const lum::TableData rows(*db(), QStringLiteral("select ") + column(YearDbModel::Id) +
                                         QStringLiteral(" from ") + model()->tableName() +
                                         QStringLiteral(" order by julianday(") +
                                         column(YearDbModel::BeginDate) + QStringLiteral("), ") +
                                         column(YearDbModel::Id));
    if (lum::Expected<void> read = rows.result(); !read)
        return read;
    QList<int> order;
    for (int r = 0; r < rows.numRows(); ++r)
        order.append(rows.intValue(r, 0));
    return SequenceWriter(db(), model(), YearDbModel::Sequence, YearDbModel::ActiveSequence)
        .setOrder(order);
}

lum::Expected<void> YearsController::resetActive()
{
    return SequenceWriter(db(), model(), YearDbModel::Sequence, YearDbModel::ActiveSequence)
        .resetActive();
}

lum::Expected<void> YearsController::removeYear(int yearId)
{
    return SequenceWriter(db(), model(), YearDbModel::Sequence, YearDbModel::ActiveSequence)
        .removeAt(m_ids, indexOf(yearId));
}

} // namespace rivulet
