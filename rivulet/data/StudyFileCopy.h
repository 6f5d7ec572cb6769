#pragma once

#include "lum/core/Expected.h"

#include <QString>

namespace lum {
class SqliteDb;
}

namespace rivulet {

// Writes a copy of the open study's database to `target` ("Save Study As"): one consistent
// state of the file, compacted, even while another process writes to it. The copy is made
// beside the target under a temporary name and put in place only once complete, so a failed
// copy leaves an existing target as it was.
lum::Expected<void> copyStudyFile(lum::SqliteDb& db, const QString& target);

} // namespace rivulet
