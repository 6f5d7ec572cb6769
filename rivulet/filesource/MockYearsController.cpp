#include "rivulet/filesource/MockYearsController.h"

namespace rivulet {

void MockYearsController::setYears(const QList<int>& years)
{
    clear();
    for (int i = 0; i < years.size(); ++i) {
        ids_.append(i);
        years_.append(years.at(i));
        yearLabels_.append(QString::number(years.at(i)));
    }
}

void MockYearsController::clear()
{
    ids_.clear();
    years_.clear();
    yearLabels_.clear();
}

} // namespace rivulet
