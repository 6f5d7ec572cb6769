#pragma once

#include "rivulet/gof/ComponentTests.h"

#include <QJsonDocument>
#include <QStringList>

namespace rivulet::gof {

// The component tables and totals as JSON: {"tables": [...], "totals": {...}, "cHat",
// "zTransience", "zTrapDependence"} (null where absent). Occasions and strata are named from
// the lists where they have an entry (site short names, migration years), else by number.
QJsonDocument componentTestsJson(const ComponentSummary& summary,
                                 const QStringList& occasionNames = {},
                                 const QStringList& stratumNames = {});

} // namespace rivulet::gof
