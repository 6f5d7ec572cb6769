#pragma once

#include "rivulet/summary/PathKey.h"

#include <QAbstractTableModel>
#include <QWidget>

#include <memory>
#include <vector>

class QGraphicsView;
class QLabel;
class QPushButton;
class QTabWidget;
class QTableView;

namespace rivulet {

class ReleaseEstimates;
class ReleaseSummary;
class ReleasesControllerI;
class RivuletDiagram;
class SitesControllerI;
class YearsControllerI;
struct ModelResult;

// The estimates of one release with their standard errors: rows are (upstream year,
// downstream year) pairs, columns sites. The cell of a hovered path is highlighted.
class EstimatesTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    EstimatesTableModel(const ReleasesControllerI& releases, const SitesControllerI& sites,
                        const YearsControllerI& years, const ReleaseSummary& summary, int release,
                        const ModelResult* result, int estimatePrecision, int errorPrecision,
                        QObject* parent = nullptr);
    ~EstimatesTableModel() override;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void setResult(const ModelResult* result);
    void setPrecision(int estimatePrecision, int errorPrecision);
    void highlight(const PathKey& key);
    void clearHighlight();
    const ReleaseEstimates& estimates() const { return *m_estimates; }

private:
    void rebuild();

    const SitesControllerI& m_sites;
    const YearsControllerI& m_years;
    const ReleaseSummary& m_summary;
    int m_release;
    const ModelResult* m_result;
    int m_estimatePrecision;
    int m_errorPrecision;
    std::unique_ptr<ReleaseEstimates> m_estimates;
    int m_highlightRow = -1;
    int m_highlightColumn = -1;
};

// The "Graphical Results" window: one diagram per release of the selected model, the table of
// estimates below, and the sentence that explains the parameter of a hovered path label.
class EstimatesWidget : public QWidget
{
    Q_OBJECT

public:
    EstimatesWidget(const ReleasesControllerI& releases, const SitesControllerI& sites,
                    const YearsControllerI& years, const ReleaseSummary& summary,
                    int estimatePrecision, int errorPrecision, const ModelResult* result,
                    QWidget* parent = nullptr);
    ~EstimatesWidget() override;

    void setResult(const ModelResult* result);
    void setPrecision(int estimatePrecision, int errorPrecision);

    QTabWidget* tabWidget() const { return m_tabWidget; }
    QTableView* tableView() const { return m_tableView; }
    QLabel* infoLabel() const { return m_infoLabel; }
    RivuletDiagram* diagram(int release) const;
    EstimatesTableModel* tableModel(int release) const;

signals:
    void doneClicked();

public slots:
    void currentTabChanged(int index);
    void onPathHoverEnterEvent(int release, rivulet::PathKey key);
    void onPathHoverLeaveEvent(int release);

private:
    void drawPaths();

    const ReleasesControllerI& m_releases;
    const SitesControllerI& m_sites;
    const YearsControllerI& m_years;
    const ReleaseSummary& m_summary;
    int m_estimatePrecision;
    int m_errorPrecision;
    const ModelResult* m_result;
    QTabWidget* m_tabWidget;
    QTableView* m_tableView;
    QLabel* m_infoLabel;
    QPushButton* m_doneButton;
    // Parallel, in release order; children of this widget.
    std::vector<RivuletDiagram*> m_diagrams;
    std::vector<QGraphicsView*> m_views;
    std::vector<EstimatesTableModel*> m_models;
};

} // namespace rivulet
