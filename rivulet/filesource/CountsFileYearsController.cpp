#include "rivulet/filesource/CountsFileYearsController.h"

namespace rivulet {

void CountsFileYearsController::setYears(const QList<int>& years)
{
    clear();
    for (int i = 0; i < years.size(); ++i) {
        m_ids.append(i);
        m_years.append(years.at(i));
        m_yearLabels.append(QString::number(years.at(i)));
    }
}

void CountsFileYearsController::clear()
{
    m_ids.clear();
    m_years.clear();
    m_yearLabels.clear();
}

} // namespace rivulet
