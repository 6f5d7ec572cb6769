#include "tools/sim/ObservationWriter.h"

#include "tools/sim/BufferedFile.h"
#include "tools/sim/CivilTime.h"

namespace rivulet::sim {

namespace {
void appendBytes(std::string& out, const QByteArray& bytes)
{
    out.append(bytes.constData(), static_cast<size_t>(bytes.size()));
}
} // namespace

void ObservationWriter::writeHeader()
{
    m_file.write("# Mark File,Capture Method,Tag Code,Mark Date,Release Date,Species Run Rear,"
                 "Mark Length mm,Mark Weight g,Mark Site,Life Stage,Release RKM,Release Site,"
                 "Event Type,Event RKM,Hit,Event Date,Event Site,Antenna,Row Filter\n");
}

void ObservationWriter::beginTag(const Tag& tag)
{
    m_prefix.clear();
    appendBytes(m_prefix, tag.markFile);
    m_prefix += ",HATCH,";
    m_prefix += tag.code;
    m_prefix += ',';
    CivilTime::appendDate(m_prefix, tag.markTime);
    m_prefix += ',';
    CivilTime::appendDateTime(m_prefix, tag.releaseTime);
    m_prefix += ',';
    appendBytes(m_prefix, tag.speciesRunRear);
    m_prefix += ',';
    m_prefix += std::to_string(tag.lengthMm);
    m_prefix += ',';
    if (tag.weightTenths > 0) {
        m_prefix += std::to_string(tag.weightTenths / 10);
        m_prefix += '.';
        m_prefix += static_cast<char>('0' + tag.weightTenths % 10);
    }
    m_prefix += ',';
    appendBytes(m_prefix, tag.releaseSite);
    m_prefix += ",Juvenile,";
    appendBytes(m_prefix, tag.releaseKm);
    m_prefix += ',';
    appendBytes(m_prefix, tag.releaseSite);
}

void ObservationWriter::writeMark()
{
    m_line = m_prefix;
    m_line += ",Mark,,,,,,\n";
    m_file.write(m_line);
    ++m_rows;
}

void ObservationWriter::writeHit(const Hit& hit)
{
    m_line = m_prefix;
    m_line += ',';
    m_line += hit.eventType;
    m_line += ',';
    appendBytes(m_line, hit.siteKm);
    m_line += ',';
    m_line += std::to_string(hit.number);
    m_line += ',';
    CivilTime::appendDateTime(m_line, hit.time);
    m_line += ',';
    appendBytes(m_line, hit.code);
    m_line += ',';
    appendBytes(m_line, hit.coil);
    m_line += hit.adult ? ",A\n" : ",\n";
    m_file.write(m_line);
    ++m_rows;
    ++m_detectionRows;
}

} // namespace rivulet::sim
