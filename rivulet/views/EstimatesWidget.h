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
    const ReleaseEstimates& estimates() const { return *estimates_; }

private:
    void rebuild();

    const SitesControllerI& sites_;
    const YearsControllerI& years_;
    const ReleaseSummary& summary_;
    int release_;
    const ModelResult* result_;
    int estimatePrecision_;
    int errorPrecision_;
    std::unique_ptr<ReleaseEstimates> estimates_;
    int highlightRow_ = -1;
    int highlightColumn_ = -1;
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

    QTabWidget* tabWidget() const { return tabWidget_; }
    QTableView* tableView() const { return tableView_; }
    QLabel* infoLabel() const { return infoLabel_; }
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

    const ReleasesControllerI& releases_;
    const SitesControllerI& sites_;
    const YearsControllerI& years_;
    const ReleaseSummary& summary_;
    int estimatePrecision_;
    int errorPrecision_;
    const ModelResult* result_;
    QTabWidget* tabWidget_;
    QTableView* tableView_;
    QLabel* infoLabel_;
    QPushButton* doneButton_;
    // Parallel, in release order; children of this widget.
    std::vector<RivuletDiagram*> diagrams_;
    std::vector<QGraphicsView*> views_;
    std::vector<EstimatesTableModel*> models_;
};

} // namespace rivulet
