#include "rivulet/reports/ReleaseSummaryReport.h"

#include "rivulet/counts/NextDetectionsI.h"
#include "rivulet/data/ReleasesControllerI.h"

#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>

namespace rivulet {

namespace {
constexpr int Columns = 4;
} // namespace

ReleaseSummaryReport::ReleaseSummaryReport(const ReleasesControllerI& releases,
                                           const SitesControllerI& sites,
                                           const YearsControllerI& years,
                                           const NextDetectionsI& counts, QObject* parent,
                                           lum::ThreadRunner* runner)
    : RivuletReport(ReleaseSummaryKind, releases, sites, years, runner, parent), m_counts(counts)
{
}

ReleaseSummaryReport::~ReleaseSummaryReport() = default;

qint64 ReleaseSummaryReport::releaseSize(int releaseId) const
{
    const ReleaseId release{releaseId};
    return m_counts.releaseNextCounts(release).sum() + m_counts.releaseNotSeen(release);
}

void ReleaseSummaryReport::buildReport()
{
    QTextDocument* doc = document();
    if (!doc)
        return;
    QTextCursor cursor(doc);
    const int count = releases().count();
    const QList<int> ids = releases().ids();
    if (count == 0 || ids.isEmpty()) {
        cursor.insertText(QStringLiteral("No data loaded"), charFormat(0));
        return;
    }

    cursor.insertText(QStringLiteral("Releases:"), charFormat(6));
    QTextTable* table = cursor.insertTable(count + 1, Columns, tableFormat(0));
    setCellBlockFormat(table, 0, 0, 1, Columns, blockFormat(9));
    const QStringList headers = {QStringLiteral("Release"), QStringLiteral("Site"),
                                 QStringLiteral("Year"), QStringLiteral("Count")};
    for (int c = 0; c < Columns; ++c)
        table->cellAt(0, c).firstCursorPosition().insertText(headers.at(c), cellFormat(1));

    const QStringList labels = releases().labels();
    const QStringList siteNames = releases().siteNames();
    const QList<int> calendarYears = releases().years();
    for (int r = 0; r < count; ++r) {
        const int row = r + 1;
        table->cellAt(row, 0).firstCursorPosition().insertText(labels.value(r));
        table->cellAt(row, 1).firstCursorPosition().insertText(siteNames.value(r), cellFormat(3));
        table->cellAt(row, 2).firstCursorPosition().insertText(
            QString::number(calendarYears.value(r)), cellFormat(3));
        const qint64 size = r < ids.size() ? releaseSize(ids.at(r)) : 0;
        table->cellAt(row, 3).firstCursorPosition().insertText(QString::number(size),
                                                               cellFormat(3));
    }
    cursor.movePosition(QTextCursor::Start);
}

} // namespace rivulet
