#include "rivulet/reports/ParameterReport.h"

#include "rivulet/data/ReleasesControllerI.h"
#include "rivulet/data/SitesControllerI.h"
#include "rivulet/data/YearsControllerI.h"
#include "rivulet/model/MeasureValue.h"
#include "rivulet/model/ModelResult.h"
#include "rivulet/reports/ModelEstimateItem.h"
#include "rivulet/reports/ReportNumbers.h"

#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QTextTable>

namespace rivulet {

ParameterReport::ParameterReport(qint32 kind, const ReleasesControllerI& releases,
                                 const SitesControllerI& sites, const YearsControllerI& years,
                                 int estimatePrecision, int errorPrecision, QObject* parent,
                                 lum::ThreadRunner* runner)
    : RivuletReport(kind, releases, sites, years, runner, parent),
      estimatePrecision_(estimatePrecision), errorPrecision_(errorPrecision)
{
}

ParameterReport::~ParameterReport() = default;

void ParameterReport::setPrecisions(int estimatePrecision, int errorPrecision)
{
    estimatePrecision_ = estimatePrecision;
    errorPrecision_ = errorPrecision;
}

const ModelResult* ParameterReport::modelResult() const
{
    if (!modelItem_)
        return nullptr;
    const ModelResult* result = modelItem_->result();
    if (!result || !result->parameters || !result->covariances)
        return nullptr;
    return result;
}

QString ParameterReport::valueText(const MeasureValue& value) const
{
    return ReportNumbers::valueText(value, estimatePrecision_, errorPrecision_);
}

void ParameterReport::writeCell(QTextTable* table, int row, int column, const QString& text,
                                int cellFormatNumber) const
{
    table->cellAt(row, column).firstCursorPosition().insertText(text, cellFormat(cellFormatNumber));
}

void ParameterReport::writeModelHeader(QTextCursor& cursor, const QString& code,
                                       const QString& fullDescription, int releaseCount,
                                       int siteCount, int yearCount, int parameterCount,
                                       double logLikelihood, double aic) const
{
    cursor.insertText(reportTitle(), charFormat(5));

    cursor.insertBlock(blockFormat(5));
    cursor.insertText(QStringLiteral("Releases: "), charFormat(6));
    cursor.insertList(listFormat(2));
    cursor.setBlockFormat(blockFormat(3));
    const QStringList names = releases().labels();
    for (int i = 0; i < names.size(); ++i) {
        if (i > 0)
            cursor.insertBlock();
        cursor.insertText(QStringLiteral("   ") + names.at(i), charFormat(0));
    }

    cursor.insertBlock(blockFormat(5));
    cursor.insertText(QStringLiteral("Model: ") + code, charFormat(6));
    cursor.insertBlock(blockFormat(4));
    cursor.insertText(QStringLiteral("Unique parameters for all reaches and detections sites. "
                                     "Parameters equated across release groups as follows: "),
                      charFormat(0));
    cursor.insertBlock(blockFormat(4));
    cursor.insertText(fullDescription + QStringLiteral("."), charFormat(0));

    // The list opens with an empty item; every figure starts a block of its own.
    cursor.insertList(listFormat(2));
    cursor.setBlockFormat(blockFormat(3));
    const auto item = [&](const QString& label, const QString& value) {
        cursor.insertBlock();
        cursor.insertText(label, charFormat(1));
        cursor.insertText(value, charFormat(0));
    };
    item(QStringLiteral("Num releases: "), QString::number(releaseCount));
    item(QStringLiteral("Num sites: "), QString::number(siteCount));
    item(QStringLiteral("Num years: "), QString::number(yearCount));
    item(QStringLiteral("Num parameters: "), QString::number(parameterCount));
    item(QStringLiteral("Log-likelihood: "), QString::number(logLikelihood, 'g', 6));
    item(QStringLiteral("AIC: "), QString::number(aic, 'g', 6));
}

void ParameterReport::writeModelHeaderOf(QTextCursor& cursor, const ModelResult& result) const
{
    writeModelHeader(cursor, modelItem_->code(), modelItem_->fullDescription(), releases().count(),
                     sites().count(), years().count(), result.numParameters(), result.logLikelihood,
                     result.aic);
}

void ParameterReport::writeEstimateReport(const TableWriter& writeTable) const
{
    QTextDocument* doc = document();
    const ModelResult* result = modelResult();
    if (!doc || !result)
        return;
    QTextCursor cursor(doc);
    cursor.insertBlock(blockFormat(2));
    writeModelHeaderOf(cursor, *result);
    cursor.insertBlock(blockFormat(5));
    cursor.insertText(QStringLiteral("Estimates"), charFormat(6));

    const QStringList names = releases().labels();
    for (int id : releases().ids()) {
        const ReleaseStart start{releases().indexOf(ReleaseId{id}).value,
                                 sites().indexOf(releases().releaseSiteId(id)),
                                 years().indexOf(releases().releaseYearId(id))};
        cursor.insertBlock(blockFormat(5));
        cursor.insertText(QStringLiteral("Release: "), charFormat(1));
        cursor.insertText(names.value(start.release), charFormat(0));
        if (start.release >= 0 && start.site >= 0 && start.year >= 0)
            writeTable(cursor, start, *result);
        cursor.movePosition(QTextCursor::End);
    }
    cursor.movePosition(QTextCursor::Start);
}

} // namespace rivulet
