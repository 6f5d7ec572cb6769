#pragma once

#include "rivulet/reports/ParameterReport.h"

namespace rivulet {

// "Capture Parameter Estimates": for every release a table of the detection estimates by
// year (rows) and detection site below the release site (columns).
class CaptureParameterReport : public ParameterReport
{
    Q_OBJECT

public:
    CaptureParameterReport(const ReleasesControllerI& releases, const SitesControllerI& sites,
                           const YearsControllerI& years, int estimatePrecision = DefaultPrecision,
                           int errorPrecision = DefaultPrecision, QObject* parent = nullptr,
                           lum::ThreadRunner* runner = nullptr);
    ~CaptureParameterReport() override;

protected:
    void buildReport() override;

private:
    void writeTable(QTextCursor& cursor, const ReleaseStart& start,
                    const ModelResult& result) const;
};

} // namespace rivulet
