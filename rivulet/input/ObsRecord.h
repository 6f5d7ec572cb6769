#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <string_view>

namespace rivulet {

// One line of an observation export (UTF-8) cut into its comma-separated fields (no quoting).
// Fields are views into the line, which must outlive them; the object is reused from line to
// line, so a million rows cost no allocation.
class ObsRecord
{
public:
    // Fields the loader reads, numbered from 1 as in the export.
    enum Field
    {
        TagCode = 3,
        ReleaseTime = 5,
        ReleaseSite = 12,
        EventType = 13,
        ObsTime = 16,
        ObsSite = 17,
        Coil = 18,
        RowFilter = 19
    };
    static constexpr int fieldCount = 19;

    // The title of field `number` in the export ("Release Site").
    static QString fieldName(Field number);

    // True for a line that carries no record: empty or blank, a "#" comment, or nothing but
    // commas.
    static bool isSkipped(const QByteArray& line);

    // Cuts the line; missing fields are empty and fields beyond the 19th are ignored.
    void split(const QByteArray& line);
    // Field `number`, counted from 1.
    std::string_view field(int number) const { return m_fields[number - 1]; }
    QString fieldText(int number) const;

private:
    std::array<std::string_view, fieldCount> m_fields;
};

} // namespace rivulet
