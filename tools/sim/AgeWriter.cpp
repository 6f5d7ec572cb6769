#include "tools/sim/AgeWriter.h"

#include "tools/sim/BufferedFile.h"
#include "tools/sim/CivilTime.h"
#include "tools/sim/Random.h"

namespace rivulet::sim {

void AgeWriter::writeHeader()
{
    m_file.write("# Tag Code,Cohort  or  Tag Code,Year (or M/d/yyyy date),Age\n");
}

void AgeWriter::write(const std::string& tag, qint64 releaseTime, int age, Random& random)
{
    const int year = CivilTime::yearOf(releaseTime);
    const double form = random.uniform();
    m_line = tag;
    if (form < 0.04) {
        m_line += form < 0.02 ? ",NA\n" : ", na \n";
    } else if (form < 0.38) {
        m_line += ',';
        m_line += std::to_string(year - age);
        m_line += '\n';
    } else if (form < 0.72) {
        m_line += ',';
        m_line += std::to_string(year);
        m_line += ',';
        m_line += std::to_string(age);
        m_line += '\n';
    } else {
        m_line += ',';
        CivilTime::appendSlashDate(m_line, releaseTime);
        m_line += ',';
        m_line += std::to_string(age);
        m_line += '\n';
    }
    m_file.write(m_line);
}

} // namespace rivulet::sim
