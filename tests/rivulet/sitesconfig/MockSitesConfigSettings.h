#pragma once

#include "rivulet/sitesconfig/SitesConfigSettingsI.h"

namespace rivulet::test {

// Settings of the sites configuration kept in memory, with a folder of the
// test's own.
class MockSitesConfigSettings : public SitesConfigSettingsI
{
public:
    explicit MockSitesConfigSettings(QString dir) : dir(std::move(dir)) {}

    QString sitesConfigDir() const override { return dir; }
    QString sitesConfigFileName() const override { return fileName; }
    QDate lastUpdateCheck() const override { return lastCheck; }
    void setLastUpdateCheck(const QDate& day) override { lastCheck = day; }

    QString dir;
    QString fileName = QStringLiteral("sites_config.txt");
    QDate lastCheck;
};

} // namespace rivulet::test
