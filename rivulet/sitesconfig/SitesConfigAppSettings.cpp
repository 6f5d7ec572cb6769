#include "rivulet/sitesconfig/SitesConfigAppSettings.h"

#include "rivulet/settings/RivuletSettings.h"

namespace rivulet {

QString SitesConfigAppSettings::sitesConfigDir() const
{
    return m_settings.sitesConfigDir();
}

QString SitesConfigAppSettings::sitesConfigFileName() const
{
    return m_settings.sitesConfigFileName();
}

QDate SitesConfigAppSettings::lastUpdateCheck() const
{
    return m_settings.sitesConfigUpdateDate();
}

void SitesConfigAppSettings::setLastUpdateCheck(const QDate& day)
{
    m_settings.setSitesConfigUpdateDate(day);
}

} // namespace rivulet
