#pragma once

class QTextStream;

namespace rivulet {

class ModelEstimateItem;
class ReleasesControllerI;
class SitesControllerI;
class YearsControllerI;
struct ModelResult;

// A report of one fitted model written as comma-separated text. The controllers and the
// model item are borrowed; a writer lives for one write. Numbers use the stream's own
// formatting; a value that is not available is written "NA".
class CsvReport
{
public:
    CsvReport(const ReleasesControllerI& releases, const SitesControllerI& sites,
              const YearsControllerI& years, const ModelEstimateItem* modelItem);
    virtual ~CsvReport();
    CsvReport(const CsvReport&) = delete;
    CsvReport& operator=(const CsvReport&) = delete;

    // Writes the whole report; nothing without a model item that has a result.
    virtual void write(QTextStream& out) const = 0;
    // The releases, the model code and its figures, and an empty line.
    void writeHeader(QTextStream& out) const;

protected:
    const ReleasesControllerI& releases() const { return releases_; }
    const SitesControllerI& sites() const { return sites_; }
    const YearsControllerI& years() const { return years_; }
    const ModelEstimateItem* modelItem() const { return modelItem_; }
    // The record of the model item; null without an item or a usable record.
    const ModelResult* modelResult() const;

private:
    const ReleasesControllerI& releases_;
    const SitesControllerI& sites_;
    const YearsControllerI& years_;
    const ModelEstimateItem* modelItem_ = nullptr;
};

} // namespace rivulet
