#pragma once

#include <QtGlobal>

#include <string>

namespace rivulet::sim {

class BufferedFile;
class Random;

// Writes the age file: per tag either the cohort, or a year (or a date) and
// the age in that year, or "NA" when the fish was not aged. The forms are
// mixed as they are in files put together from several sources.
class AgeWriter
{
public:
    explicit AgeWriter(BufferedFile& file) : m_file(file) {}

    void writeHeader();
    // `releaseTime` is the release date-time, `age` the age at release.
    void write(const std::string& tag, qint64 releaseTime, int age, Random& random);

private:
    BufferedFile& m_file;
    std::string m_line;
};

} // namespace rivulet::sim
