#include "rivulet/filesource/CountsFileSitesController.h"

namespace rivulet {

void CountsFileSitesController::setSites(const QStringList& shortNames,
                                         const QStringList& longNames)
{
    clear();
    for (int i = 0; i < shortNames.size(); ++i) {
        m_ids.append(i);
        m_shortNames.append(shortNames.at(i));
        m_longNames.append(i < longNames.size() ? longNames.at(i) : shortNames.at(i));
    }
}

void CountsFileSitesController::clear()
{
    m_ids.clear();
    m_shortNames.clear();
    m_longNames.clear();
}

} // namespace rivulet
