#include "rivulet/sitesconfig/SitesConfigAppSettings.h"

#include "rivulet/settings/RivuletSettings.h"

namespace rivulet {

QString SitesConfigAppSettings::sitesConfigDir() const
{
    return m_settings.sitesConfigDir();
}

QString SitesConfigAppSettings::sitesConfigFileName() const
{
    const QString name = m_settings.value(RivuletSettings::SitesConfigFileName).toString();
    // A name stored empty would make the folder itself the file.
    return name.isEmpty() ? m_settings.defaultValue(RivuletSettings::SitesConfigFileName).toString()
                          : name;
}

QDate SitesConfigAppSettings::lastUpdateCheck() const
{
    return QDate::fromString(m_settings.value(RivuletSettings::SitesConfigUpdateDate).toString(),
                             Qt::ISODate);
}

void SitesConfigAppSettings::setLastUpdateCheck(const QDate& day)
{
    m_settings.setValue(RivuletSettings::SitesConfigUpdateDate, day.toString(Qt::ISODate));
}

} // namespace rivulet
