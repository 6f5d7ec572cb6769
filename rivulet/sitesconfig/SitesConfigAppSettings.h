#pragma once

#include "rivulet/sitesconfig/SitesConfigSettingsI.h"

namespace rivulet {

class RivuletSettings;

// The sites configuration settings of the application: the shared folder
// and file name, and the day of the last version check
// (`sites_config_update_date`, stored as "yyyy-MM-dd").
class SitesConfigAppSettings : public SitesConfigSettingsI
{
public:
    explicit SitesConfigAppSettings(RivuletSettings& settings) : m_settings(settings) {}

    QString sitesConfigDir() const override;
    QString sitesConfigFileName() const override;
    QDate lastUpdateCheck() const override;
    void setLastUpdateCheck(const QDate& day) override;

private:
    RivuletSettings& m_settings;
};

} // namespace rivulet
