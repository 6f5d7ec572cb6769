#include "rivulet/sitesconfig/SitesConfigCatalog.h"

#include "rivulet/sitesconfig/SitesConfig.h"

#include <QVector>

#include <optional>

#include <algorithm>

namespace rivulet {

namespace {

// The whole numbers of a river-km path ("522.173.10" gives 522, 173, 10); no value when the
// text is empty or holds anything but digits and dots.
std::optional<QVector<qint64>> kmPath(const QString& km)
{
    if (km.isEmpty())
        return std::nullopt;
    QVector<qint64> numbers;
    qint64 value = 0;
    for (const QChar c : km) {
        if (c == QLatin1Char('.')) {
            numbers.append(value);
            value = 0;
        } else if (c.unicode() >= '0' && c.unicode() <= '9') {
            value = qMin<qint64>(value * 10 + (c.unicode() - '0'), qint64(1) << 40);
        } else {
            return std::nullopt;
        }
    }
    numbers.append(value);
    return numbers;
}

// Upstream first: paths in descending lexicographic order, a path before its own prefix
// (522.173 lies up a tributary that joins the main stem at 522). A site downstream of
// another has either a prefix of its path or, at the first difference, a smaller number at
// its last position, so it always sorts later.
bool upstreamOf(const QVector<qint64>& a, const QVector<qint64>& b)
{
    return std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end());
}

} // namespace

bool SitesConfigCatalog::placedBefore(const SiteRecord& a, const SiteRecord& b)
{
    if (a.isRelease != b.isRelease)
        return a.isRelease;
    const std::optional<QVector<qint64>> kmA = kmPath(a.riverKm);
    const std::optional<QVector<qint64>> kmB = kmPath(b.riverKm);
    if (kmA.has_value() != kmB.has_value())
        return kmA.has_value();
    if (kmA && *kmA != *kmB)
        return upstreamOf(*kmA, *kmB);
    // Same position (or none): keep the order of the configuration file.
    return a.index < b.index;
}

const SiteRecord* SitesConfigCatalog::find(const QString& code) const
{
    for (const auto& site : m_config.detectionSites()) {
        if (site->name == code)
            return site.get();
    }
    for (const auto& site : m_config.releaseSites()) {
        if (site->name == code)
            return site.get();
    }
    return nullptr;
}

QStringList SitesConfigCatalog::downstreamOrder(const QStringList& codes) const
{
    std::vector<const SiteRecord*> sites;
    for (const QString& code : codes) {
        const SiteRecord* site = find(code);
        if (site && std::find(sites.begin(), sites.end(), site) == sites.end())
            sites.push_back(site);
    }
    std::sort(sites.begin(), sites.end(),
              [](const SiteRecord* a, const SiteRecord* b) { return placedBefore(*a, *b); });
    QStringList order;
    for (const SiteRecord* site : sites)
        order.append(site->name);
    return order;
}

} // namespace rivulet
