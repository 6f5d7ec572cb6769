#include "rivulet/filesource/MockSitesController.h"

namespace rivulet {

void MockSitesController::setSites(const QStringList& shortNames, const QStringList& longNames)
{
    clear();
    for (int i = 0; i < shortNames.size(); ++i) {
        ids_.append(i);
        shortNames_.append(shortNames.at(i));
        longNames_.append(i < longNames.size() ? longNames.at(i) : shortNames.at(i));
    }
}

void MockSitesController::clear()
{
    ids_.clear();
    shortNames_.clear();
    longNames_.clear();
}

} // namespace rivulet
