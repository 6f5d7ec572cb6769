#pragma once

#include "rivulet/reports/ParameterReport.h"

namespace rivulet {

// "Survival and Movement Parameter Estimates": for every release a table of the phi
// estimates by reach (columns) and pair of upstream and downstream years (rows).
class PhiParameterReport : public ParameterReport
{
    Q_OBJECT

public:
    PhiParameterReport(const ReleasesControllerI& releases, const SitesControllerI& sites,
                       const YearsControllerI& years, int estimatePrecision = DefaultPrecision,
                       int errorPrecision = DefaultPrecision, QObject* parent = nullptr,
                       lum::ThreadRunner* runner = nullptr);
    ~PhiParameterReport() override;

protected:
    void buildReport() override;

private:
    void writeTable(QTextCursor& cursor, const ReleaseStart& start,
                    const ModelResult& result) const;
};

} // namespace rivulet
