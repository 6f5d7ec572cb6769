#include "rivulet/sitesconfig/SitesConfigRecords.h"

#include <limits>

namespace rivulet {

bool RouteRule::readHex(const QString& word, int* value)
{
    if (word.isEmpty())
        return false;
    qint64 result = 0;
    for (const QChar c : word) {
        const char16_t u = c.unicode();
        int digit = 0;
        if (u >= '0' && u <= '9')
            digit = u - '0';
        else if (u >= 'a' && u <= 'f')
            digit = u - 'a' + 10;
        else if (u >= 'A' && u <= 'F')
            digit = u - 'A' + 10;
        else
            return false;
        result = result * 16 + digit;
        if (result > std::numeric_limits<int>::max())
            return false;
    }
    *value = static_cast<int>(result);
    return true;
}

bool RouteRule::hasCoil(const QString& coil, bool coilIsNumber, int coilValue) const
{
    return coils.contains(coil) || (coilIsNumber && coilValues.contains(coilValue));
}

bool RouteRule::matchesCoil(const QString& coil, bool coilIsNumber, int coilValue) const
{
    return matchText == coil || hasCoil(coil, coilIsNumber, coilValue);
}

bool SiteRecord::matches(const QString& code) const
{
    const QString trimmed = code.trimmed();
    return trimmed == name || trimmed == longName || codes.contains(trimmed);
}

} // namespace rivulet
