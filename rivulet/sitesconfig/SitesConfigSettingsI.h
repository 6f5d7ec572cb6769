#pragma once

#include <QDate>
#include <QString>

namespace rivulet {

// The persistent settings that locate the shared sites configuration file
// and remember the last check for a newer published version.
class SitesConfigSettingsI
{
public:
    virtual ~SitesConfigSettingsI() = default;

    // The shared folder of the file, created if missing; empty when it
    // cannot be created.
    virtual QString sitesConfigDir() const = 0;
    // The file name within that folder, "sites_config.txt" by default.
    virtual QString sitesConfigFileName() const = 0;
    // The day of the last completed version check; invalid if none.
    virtual QDate lastUpdateCheck() const = 0;
    virtual void setLastUpdateCheck(const QDate& day) = 0;

    // The folder joined with the file name; empty when there is no folder.
    QString defaultSitesConfigPath() const;
};

} // namespace rivulet
