#include "rivulet/filesource/CountsFileYearsController.h"

namespace rivulet {

void CountsFileYearsController::setYears(const QList<int>& years)
{
    clear();
    for (int i = 0; i < years.size(); ++i) {
        ids_.append(i);
        years_.append(years.at(i));
        yearLabels_.append(QString::number(years.at(i)));
    }
}

void CountsFileYearsController::clear()
{
    ids_.clear();
    years_.clear();
    yearLabels_.clear();
}

} // namespace rivulet
