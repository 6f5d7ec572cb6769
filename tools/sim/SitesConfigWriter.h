#pragma once

#include "lum/core/Expected.h"

#include <QString>

class QTextStream;

namespace rivulet::sim {

class RiverLayout;
class SiteCode;
struct SimSite;

// Writes the sites configuration file of a simulated river.
class SitesConfigWriter
{
public:
    explicit SitesConfigWriter(const RiverLayout& layout) : m_layout(layout) {}

    void write(QTextStream& out) const;
    lum::Expected<void> write(const QString& path) const;

private:
    void writeSite(QTextStream& out, const SimSite& site, const QString& comment) const;
    void writeCode(QTextStream& out, const SiteCode& code, bool monthNames) const;

    const RiverLayout& m_layout;
};

} // namespace rivulet::sim
