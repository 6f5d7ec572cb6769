#include "tools/sim/SiteCode.h"

#include "tools/sim/Random.h"

#include <algorithm>
#include <limits>

namespace rivulet::sim {

namespace {
bool hexValue(const QString& word, int& value)
{
    bool ok = false;
    value = QString("0x" + word).toInt(&ok, 16);
    return ok;
}

bool textMatches(const QString& ruleText, const QString& coil)
{
    return QString(ruleText).replace(',', ' ') == coil;
}
} // namespace

SiteCode::SiteCode(const QString& name, const QVector<Range>& ranges,
                   const QVector<Exception>& exceptions)
    : m_name(name), m_ranges(ranges), m_exceptions(exceptions)
{
    auto collect = [this](const Rule& rule) {
        for (const QString& coil : rule.coils)
            if (!m_allCoils.contains(coil))
                m_allCoils << coil;
    };
    for (const Range& range : m_ranges)
        for (const Rule& rule : range.rules)
            collect(rule);
    for (const Exception& exception : m_exceptions)
        collect(exception.rule);
    buildSegments();
}

bool SiteCode::ruleHasCoil(const Rule& rule, const QString& coil)
{
    if (rule.coils.contains(coil))
        return true;
    int wanted = 0;
    if (!hexValue(coil, wanted))
        return false;
    for (const QString& word : rule.coils) {
        int value = 0;
        if (hexValue(word, value) && value == wanted)
            return true;
    }
    return false;
}

char SiteCode::route(const QString& coil, qint64 time) const
{
    const QString trimmed = coil.trimmed();
    for (const Exception& e : m_exceptions)
        if (e.begin <= time && time <= e.end && ruleHasCoil(e.rule, trimmed))
            return e.rule.letter;
    for (const Exception& e : m_exceptions)
        if (e.begin <= time && time <= e.end && textMatches(e.rule.text, trimmed))
            return e.rule.letter;
    for (const Range& range : m_ranges) {
        if (range.begin > time || time > range.end)
            continue;
        for (const Rule& rule : range.rules)
            if (textMatches(rule.text, trimmed) || ruleHasCoil(rule, trimmed))
                return rule.letter;
        return 0;
    }
    return 0;
}

// The answer of route() only changes where a range or an exception begins or
// ends, so the coil lists are worked out once per stretch of time between two
// such points.
void SiteCode::buildSegments()
{
    QVector<qint64> points{std::numeric_limits<qint64>::min()};
    auto add = [&points](qint64 begin, qint64 end) {
        points << begin;
        if (end < std::numeric_limits<qint64>::max())
            points << end + 1;
    };
    for (const Range& range : m_ranges)
        add(range.begin, range.end);
    for (const Exception& e : m_exceptions)
        add(e.begin, e.end);
    std::sort(points.begin(), points.end());
    points.erase(std::unique(points.begin(), points.end()), points.end());
    for (qint64 begin : points) {
        Segment segment;
        segment.begin = begin;
        for (const QString& coil : m_allCoils) {
            const char letter = route(coil, begin);
            if (letter != 0) // an uncovered coil is no route the simulation chooses
                (goesOn(letter) ? segment.goingOn : segment.ending) << coil.toLatin1();
        }
        m_segments << segment;
    }
}

const SiteCode::Segment& SiteCode::segmentAt(qint64 time) const
{
    auto after = std::upper_bound(m_segments.begin(), m_segments.end(), time,
                                  [](qint64 t, const Segment& s) { return t < s.begin; });
    return *(after - 1);
}

bool SiteCode::hasCoil(bool goesOn, qint64 time) const
{
    const Segment& segment = segmentAt(time);
    return !(goesOn ? segment.goingOn : segment.ending).isEmpty();
}

QByteArray SiteCode::pickCoil(bool goesOn, qint64 time, Random& random) const
{
    const Segment& segment = segmentAt(time);
    const QVector<QByteArray>& coils = goesOn ? segment.goingOn : segment.ending;
    if (coils.isEmpty())
        return {};
    return coils.at(random.below(coils.size()));
}

} // namespace rivulet::sim
