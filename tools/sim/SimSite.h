#pragma once

#include "tools/sim/SiteCode.h"

#include <QString>
#include <QStringList>
#include <QVector>

namespace rivulet::sim {

// One site of the simulated river as the sites configuration describes it,
// with what the simulation needs besides: its role, how far it lies from the
// top of the study area and the codes under which fish are reported there.
struct SimSite
{
    enum class Role
    {
        Release,  // a release site on the tributary
        Upstream, // an array above every release site (its detections are dropped)
        Trap,     // the tributary trap, first detection site
        Dam,      // a main-stem dam with a juvenile bypass
        Final     // the last site, where history ends
    };

    Role role = Role::Dam;
    QString name; // identifier after "SITE:" or "RELSITE:"
    QString longName;
    QString shortName;
    QString riverKm;
    QString riverKmAlt;
    QString type;
    QString huc;
    QString indicator;
    QStringList stages;
    QStringList listedCodes;     // the "CODES:" line
    QVector<SiteCode> codeRules; // the "CODE:" blocks of this site's codes
    // Codes under which juveniles are detected, most frequent first; a code
    // without a block (the final site's) is reported with plainCoils.
    QStringList juvenileCodes;
    QStringList plainCoils;
    QString adultCode;     // adult returns, exported as rows the loader ignores
    double distanceKm = 0; // from the top of the study area, for travel times
    bool canRemove = false;

    const SiteCode* rulesFor(const QString& code) const
    {
        for (const SiteCode& c : codeRules)
            if (c.name() == code)
                return &c;
        return nullptr;
    }
};

} // namespace rivulet::sim
