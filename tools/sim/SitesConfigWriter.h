#pragma once

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
    bool write(const QString& path, QString* error) const;

private:
    void writeSite(QTextStream& out, const SimSite& site, const QString& comment) const;
    void writeCode(QTextStream& out, const SiteCode& code, bool monthNames) const;

    const RiverLayout& m_layout;
};

} // namespace rivulet::sim
