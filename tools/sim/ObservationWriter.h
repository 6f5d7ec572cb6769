#pragma once

#include <QByteArray>

#include <string>

namespace rivulet::sim {

class BufferedFile;

// Writes the tag-history export: comma-separated, 19 fields a row, one row
// per event of a tag (its marking, then every antenna hit), every row
// repeating the tag's marking and release fields.
//
//  1 mark file           8 mark weight g       15 hit number
//  2 capture method      9 mark site           16 event date and time
//  3 tag code           10 life stage          17 event site code
//  4 mark date          11 release river km    18 antenna (coil)
//  5 release date time  12 release site        19 row filter ("A": adult return)
//  6 species run rear   13 event type
//  7 mark length mm     14 event river km
class ObservationWriter
{
public:
    struct Tag
    {
        std::string code;
        qint64 markTime = 0;
        qint64 releaseTime = 0;
        QByteArray markFile;
        QByteArray speciesRunRear;
        int lengthMm = 0;
        int weightTenths = 0; // 0 when not weighed
        QByteArray releaseSite;
        QByteArray releaseKm;
    };
    struct Hit
    {
        const char* eventType = "Observation";
        QByteArray siteKm;
        int number = 1;
        qint64 time = 0;
        QByteArray code;
        QByteArray coil;
        bool adult = false;
    };

    explicit ObservationWriter(BufferedFile& file) : m_file(file) {}

    void writeHeader();
    void beginTag(const Tag& tag);
    void writeMark();
    void writeHit(const Hit& hit);

    qint64 rows() const { return m_rows; }
    qint64 detectionRows() const { return m_detectionRows; }

private:
    BufferedFile& m_file;
    std::string m_prefix; // fields 1 to 12 of the current tag
    std::string m_line;
    qint64 m_rows = 0;
    qint64 m_detectionRows = 0;
};

} // namespace rivulet::sim
