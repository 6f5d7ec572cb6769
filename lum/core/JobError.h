#pragma once

namespace lum {

// Why a job failed. A failure is not a cancel: a canceled run ends with
// runCanceled and no error, a failed one with runFailed and one of these
// codes beside the message, so that a caller can tell "the user stopped it"
// from "it could not be done" and exit or react accordingly.
enum class JobError
{
    None = 0,
    // Anything the job did not classify (setErrorMessage without a code).
    Failed = 1,
    // A file could not be opened, read or written.
    File = 2,
    // The content of an input file is not what the job expects.
    Input = 3,
    // The database refused a statement or is not open.
    Database = 4,
    // The data set gives the job nothing to do (for example no estimable model).
    NoData = 5,
};

} // namespace lum
