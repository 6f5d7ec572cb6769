#pragma once

#include <QAbstractTableModel>
#include <QStringList>

namespace rivulet {

class CountMatrix;
class SitesControllerI;
class YearsControllerI;

// Where the chosen fish were detected next: years as rows, the sites after the first as
// columns. A cell reads "count:removed" (the removed being those whose history ended there),
// the count alone when it is 0 or at the last site, and "NA" before the detection point.
class NextDetectionsTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    // The controllers are borrowed and must outlive the model.
    NextDetectionsTableModel(const SitesControllerI& sites, const YearsControllerI& years,
                             QObject* parent = nullptr);

    // Headings from the controllers; no counts.
    void refresh();
    // The matrices are borrowed until the next setCounts or refresh. Cells before column
    // `minSite` or row `minYear` carry no number.
    void setCounts(const CountMatrix* counts, const CountMatrix* removed, int minSite, int minYear);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const SitesControllerI& m_sites;
    const YearsControllerI& m_years;
    const CountMatrix* m_counts = nullptr;
    const CountMatrix* m_removed = nullptr;
    int m_minSite = 0;
    int m_minYear = 0;
    QStringList m_siteNames;
    QStringList m_yearNames;
};

} // namespace rivulet
