#include "rivulet/filesource/CountsFileSitesController.h"

namespace rivulet {

void CountsFileSitesController::setSites(const QStringList& shortNames,
                                         const QStringList& longNames)
{
    clear();
    for (int i = 0; i < shortNames.size(); ++i) {
        ids_.append(i);
        shortNames_.append(shortNames.at(i));
        longNames_.append(i < longNames.size() ? longNames.at(i) : shortNames.at(i));
    }
}

void CountsFileSitesController::clear()
{
    ids_.clear();
    shortNames_.clear();
    longNames_.clear();
}

} // namespace rivulet
