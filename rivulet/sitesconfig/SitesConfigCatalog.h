#pragma once

#include "rivulet/data/SiteCatalogI.h"

namespace rivulet {

class SitesConfig;
struct SiteRecord;

// The sites configuration as the sites controller's catalog: orders the sites of a study
// down-river from their river-km paths.
class SitesConfigCatalog : public SiteCatalogI
{
public:
    // `config` is borrowed and read at each call, so a configuration loaded later is seen.
    explicit SitesConfigCatalog(const SitesConfig& config) : m_config(config) {}

    // Each code is looked up first among the detection sites by identifier, then among the
    // release sites. Release sites come first; within each kind a site comes before every site
    // downstream of it; sites without a usable river-km path come last of their kind.
    QStringList downstreamOrder(const QStringList& codes) const override;

    // The order itself: true when `a` is placed before `b`. A strict weak ordering.
    static bool placedBefore(const SiteRecord& a, const SiteRecord& b);

private:
    const SiteRecord* find(const QString& code) const;

    const SitesConfig& m_config;
};

} // namespace rivulet
