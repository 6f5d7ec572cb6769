#include "rivulet/gof/CaptureHistories.h"

#include <QRegularExpression>
#include <QStringList>

namespace rivulet::gof {

CohortArray cohortsFromHistories(const std::vector<CaptureHistory>& histories)
{
    const int occasions =
        histories.empty() ? 0 : static_cast<int>(histories.front().occasions.size());
    CohortArray counts(occasions);
    for (const CaptureHistory& history : histories) {
        if (history.occasions.size() != occasions)
            continue;
        int cohort = -1;
        int previous = -1;
        for (int i = 0; i < occasions; ++i) {
            if (history.occasions.at(i) != QLatin1Char('1'))
                continue;
            if (cohort < 0)
                cohort = i;
            else
                counts.add(cohort, previous, i, history.count);
            previous = i;
        }
        // An animal removed at its last capture is not released there, so it has no row there.
        if (cohort >= 0 && !history.removedAtLast)
            counts.add(cohort, previous, -1, history.count);
    }
    return counts;
}

lum::Expected<std::vector<CaptureHistory>> readHistories(const QString& text, int group)
{
    // Comments are blanked but keep their line ends, so errors name the file's own lines.
    static const QRegularExpression comment(QStringLiteral("/\\*.*?\\*/"),
                                            QRegularExpression::DotMatchesEverythingOption);
    QString body;
    int from = 0;
    for (auto it = comment.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        body += text.mid(from, match.capturedStart() - from);
        body += QString(match.captured().count(QLatin1Char('\n')), QLatin1Char('\n'));
        from = match.capturedEnd();
    }
    body += text.mid(from);
    const QStringList lines = body.split(QLatin1Char('\n'));
    std::vector<CaptureHistory> histories;
    static const QRegularExpression history(QStringLiteral("^[01]+$"));
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    for (int n = 0; n < lines.size(); ++n) {
        QString line = lines.at(n).trimmed();
        if (line.endsWith(QLatin1Char(';')))
            line.chop(1);
        const QStringList fields = line.split(blanks, Qt::SkipEmptyParts);
        if (fields.isEmpty())
            continue;
        bool ok = false;
        const qlonglong count = fields.value(group + 1).toLongLong(&ok);
        if (!history.match(fields.front()).hasMatch() || !ok)
            return lum::Error(
                lum::JobError::Input,
                QStringLiteral("line %1: expected a history of 0 and 1 and %2 count(s)")
                    .arg(n + 1)
                    .arg(group + 1),
                QString(), QStringLiteral("line %1").arg(n + 1));
        if (count != 0)
            histories.push_back(
                CaptureHistory{fields.front(), count < 0 ? -count : count, count < 0});
    }
    return histories;
}

} // namespace rivulet::gof
