#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

namespace rivulet::sim {

class Random;

// One site code of the sites configuration with its dated antenna rules: for
// every time it knows which route letter a detection on a given coil gets,
// and it picks coils that give the route a simulated fish actually took.
class SiteCode
{
public:
    struct Rule
    {
        char letter = 'R'; // H, R, S, T, U or B
        char stage = 'J';
        int number = 0;
        QString text;
        QStringList coils;
    };
    struct Range
    {
        qint64 begin = 0;
        qint64 end = 0;       // inclusive
        bool openEnd = false; // written "present"
        QVector<Rule> rules;
    };
    struct Exception
    {
        qint64 begin = 0;
        qint64 end = 0;
        Rule rule;
    };

    SiteCode(const QString& name, const QVector<Range>& ranges,
             const QVector<Exception>& exceptions);

    const QString& name() const { return m_name; }
    const QVector<Range>& ranges() const { return m_ranges; }
    const QVector<Exception>& exceptions() const { return m_exceptions; }

    // The route letter of a detection on `coil` at `time`; 0 when no rule
    // covers it.
    char route(const QString& coil, qint64 time) const;
    // Detections under these letters leave the fish in the river.
    static bool goesOn(char route) { return route == 'R' || route == 'B'; }

    // A coil on which a detection at `time` means the fish went on (or, with
    // goesOn false, that its history ended there); empty when the code has
    // no such coil at that time.
    QByteArray pickCoil(bool goesOn, qint64 time, Random& random) const;
    bool hasCoil(bool goesOn, qint64 time) const;

private:
    struct Segment
    {
        qint64 begin = 0;
        QVector<QByteArray> goingOn;
        QVector<QByteArray> ending;
    };

    static bool ruleHasCoil(const Rule& rule, const QString& coil);
    const Segment& segmentAt(qint64 time) const;
    void buildSegments();

    QString m_name;
    QVector<Range> m_ranges;
    QVector<Exception> m_exceptions;
    QStringList m_allCoils;
    QVector<Segment> m_segments;
};

} // namespace rivulet::sim
