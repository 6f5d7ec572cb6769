#pragma once

#include "lum/core/JobError.h"

#include <QString>

#include <utility>

namespace lum {

// A recoverable failure of library code, as a value: what kind of failure (the same codes a job
// fails with, so a job passes it on unchanged), the sentence for the user, and optionally the
// system's or the database's own reason and where the fault lies (a file with its line and
// column, or a table). Callers that word the sentence themselves read `reason` and `where`;
// everyone else shows text().
struct Error
{
    JobError code = JobError::Failed;
    // What could not be done, for the user ("Can't open "out.csv" for writing.").
    QString message;
    // Why, in the words of the system or the database; empty when the message says it all.
    QString reason;
    // Where the fault lies: "file, line 3, column 7", a table name; empty when nowhere in
    // particular.
    QString where;

    Error() = default;
    Error(JobError code, QString message, QString reason = QString(), QString where = QString())
        : code(code), message(std::move(message)), reason(std::move(reason)),
          where(std::move(where))
    {
    }

    // The message followed by its reason, as one line for the user.
    QString text() const
    {
        if (reason.isEmpty())
            return message;
        if (message.isEmpty())
            return reason;
        return message + QLatin1Char(' ') + reason;
    }
};

} // namespace lum
