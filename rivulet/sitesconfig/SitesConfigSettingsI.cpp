#include "rivulet/sitesconfig/SitesConfigSettingsI.h"

#include <QDir>

namespace rivulet {

QString SitesConfigSettingsI::defaultSitesConfigPath() const
{
    const QString dir = sitesConfigDir();
    return dir.isEmpty() ? QString() : dir + QDir::separator() + sitesConfigFileName();
}

} // namespace rivulet
