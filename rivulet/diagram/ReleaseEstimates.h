#pragma once

#include "rivulet/data/ReleaseKeys.h"
#include "rivulet/diagram/DiagramPicture.h"

#include <QList>
#include <QPair>
#include <QStringList>

namespace rivulet {

class ReleaseSummary;
struct ModelResult;

// The estimates of one release of a fitted model as the "Graphical Results" window shows them:
// one path per survival-and-movement parameter (every transition cell of the release that is
// not exempt; phi for a site before the last one, lambda for the last), its label, the table
// of estimates with standard errors, and the sentence that explains a path. The window and
// the headless tool's "diagram" command both read it.
class ReleaseEstimates
{
public:
    // `result` may be null (no model fitted): labels and cells read "NA". Precisions are
    // numbers of decimals. `siteNames` and `yearNames`: short names and year labels of the
    // active sites and years.
    ReleaseEstimates(const ReleaseSummary& summary, ReleasePos release, const ModelResult* result,
                     const QStringList& siteNames, const QStringList& yearNames,
                     int estimatePrecision, int errorPrecision);

    // Paths in down-river order; grey ones are fixed at 1.
    QList<DiagramPathSpec> paths() const;

    // The table: rows are (upstream, downstream) year pairs, columns sites, both ascending.
    int rowCount() const { return m_rows.size(); }
    int columnCount() const { return m_columns.size(); }
    QString rowLabel(int row) const;
    QString columnLabel(int column) const;
    // "estimate (standard error)", or "NA" for a cell without a parameter or without a result.
    QString cellText(int row, int column) const;
    bool hasValue(int row, int column) const;
    // The row and column of a path; -1 when it has none.
    int rowOf(const PathKey& key) const;
    int columnOf(const PathKey& key) const;

    // The sentence that explains the parameter of a path.
    QString explanation(const PathKey& key) const;

private:
    double estimate(const PathKey& key) const;
    double variance(const PathKey& key) const;

    const ReleaseSummary& m_summary;
    ReleasePos m_release;
    const ModelResult* m_result;
    QStringList m_siteNames;
    QStringList m_yearNames;
    int m_estimatePrecision;
    int m_errorPrecision;
    QList<QPair<int, int>> m_rows;
    QList<int> m_columns;
};

} // namespace rivulet
