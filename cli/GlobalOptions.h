#pragma once

#include <QString>

namespace rivulet::cli {

// Options given before the command; they apply to every command. Empty
// means "not given".
struct GlobalOptions
{
    // --db FILE: the database file instead of the per-user one.
    QString databasePath;
    // --sites-config FILE: the sites configuration file instead of the
    // shared one.
    QString sitesConfigPath;
    // --counts FILE (or --mock FILE): simulated next-detection counts instead of observations.
    QString countsFile;
};

} // namespace rivulet::cli
