#include "rivulet/views/EstimatesWidget.h"

#include "lum/ui/TableCopy.h"
#include "rivulet/data/ReleasesControllerI.h"
#include "rivulet/data/SitesControllerI.h"
#include "rivulet/data/YearsControllerI.h"
#include "rivulet/diagram/ReleaseEstimates.h"
#include "rivulet/views/RivuletDiagram.h"

#include <QBrush>
#include <QGraphicsView>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace rivulet {

EstimatesTableModel::EstimatesTableModel(const ReleasesControllerI&, const SitesControllerI& sites,
                                         const YearsControllerI& years,
                                         const ReleaseSummary& summary, int release,
                                         const ModelResult* result, int estimatePrecision,
                                         int errorPrecision, QObject* parent)
    : QAbstractTableModel(parent), m_sites(sites), m_years(years), m_summary(summary),
      m_release(release), m_result(result), m_estimatePrecision(estimatePrecision),
      m_errorPrecision(errorPrecision)
{
    rebuild();
}

EstimatesTableModel::~EstimatesTableModel() = default;

void EstimatesTableModel::rebuild()
{
    beginResetModel();
    m_estimates = std::make_unique<ReleaseEstimates>(m_summary, ReleasePos{m_release}, m_result,
                                                     m_sites.shortNames(), m_years.yearLabels(),
                                                     m_estimatePrecision, m_errorPrecision);
    endResetModel();
}

int EstimatesTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_estimates->rowCount();
}

int EstimatesTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_estimates->columnCount();
}

QVariant EstimatesTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const bool highlighted = index.row() == m_highlightRow && index.column() == m_highlightColumn;
    switch (role) {
    case Qt::DisplayRole:
        return m_estimates->cellText(index.row(), index.column());
    case Qt::FontRole:
        if (highlighted) {
            QFont font;
            font.setWeight(QFont::Bold);
            return font;
        }
        return {};
    case Qt::BackgroundRole:
        return highlighted ? QVariant(QBrush(Qt::yellow)) : QVariant();
    case Qt::ForegroundRole:
        return m_estimates->hasValue(index.row(), index.column()) ? QVariant()
                                                                  : QVariant(QBrush(Qt::lightGray));
    default:
        return {};
    }
}

QVariant EstimatesTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role == Qt::DisplayRole)
        return orientation == Qt::Horizontal ? m_estimates->columnLabel(section)
                                             : m_estimates->rowLabel(section);
    if (role == Qt::FontRole) {
        QFont font;
        font.setWeight(QFont::Bold);
        return font;
    }
    return {};
}

void EstimatesTableModel::setResult(const ModelResult* result)
{
    m_result = result;
    rebuild();
}

void EstimatesTableModel::setPrecision(int estimatePrecision, int errorPrecision)
{
    m_estimatePrecision = estimatePrecision;
    m_errorPrecision = errorPrecision;
    rebuild();
}

void EstimatesTableModel::highlight(const PathKey& key)
{
    m_highlightRow = m_estimates->rowOf(key);
    m_highlightColumn = m_estimates->columnOf(key);
    if (m_highlightRow < 0 || m_highlightColumn < 0)
        m_highlightRow = m_highlightColumn = -1;
    emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

void EstimatesTableModel::clearHighlight()
{
    m_highlightRow = m_highlightColumn = -1;
    emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

EstimatesWidget::EstimatesWidget(const ReleasesControllerI& releases, const SitesControllerI& sites,
                                 const YearsControllerI& years, const ReleaseSummary& summary,
                                 int estimatePrecision, int errorPrecision,
                                 const ModelResult* result, QWidget* parent)
    : QWidget(parent), m_releases(releases), m_sites(sites), m_years(years), m_summary(summary),
      m_estimatePrecision(estimatePrecision), m_errorPrecision(errorPrecision), m_result(result),
      m_tabWidget(new QTabWidget), m_tableView(new QTableView), m_infoLabel(new QLabel),
      m_doneButton(new QPushButton(QStringLiteral("Done")))
{
    setObjectName(QStringLiteral("EstimatesWidget"));
    setWindowTitle(QStringLiteral("Graphical Results"));
    setWindowIcon(QIcon(QStringLiteral(":/images/rivulet.png")));
    resize(646, 744);
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(QStringLiteral(
        "<html><head/><body><p><span style=\" font-size:10pt; font-weight:600;\">Hover mouse "
        "over an estimate to show more information</span></p></body></html>"));
    layout->addWidget(label);
    auto* splitter = new QSplitter(Qt::Vertical);
    splitter->addWidget(m_tabWidget);
    splitter->addWidget(m_tableView);
    // A range of the table copies to the clipboard (Ctrl+C) for a spreadsheet.
    m_tableView->setSelectionMode(QAbstractItemView::ContiguousSelection);
    lum::TableCopy::install(m_tableView);
    layout->addWidget(splitter);
    m_infoLabel->setObjectName(QStringLiteral("infoLabel"));
    m_infoLabel->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    QFont infoFont = m_infoLabel->font();
    infoFont.setPointSize(10);
    m_infoLabel->setFont(infoFont);
    layout->addWidget(m_infoLabel);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_doneButton);
    layout->addLayout(buttons);

    connect(m_tabWidget, &QTabWidget::currentChanged, this, &EstimatesWidget::currentTabChanged);
    connect(m_doneButton, &QPushButton::clicked, this, &EstimatesWidget::doneClicked);
    const QStringList labels = m_releases.labels();
    for (int r = 0; r < m_releases.count(); ++r) {
        auto* diagram = new RivuletDiagram(m_releases, m_sites, m_years, r, this);
        connect(diagram, &RivuletDiagram::pathHoverEnterEvent, this,
                &EstimatesWidget::onPathHoverEnterEvent);
        connect(diagram, &RivuletDiagram::pathHoverLeaveEvent, this,
                &EstimatesWidget::onPathHoverLeaveEvent);
        diagram->build();
        auto* view = new QGraphicsView(diagram);
        // A diagram wider than its window opens at its left edge, where the releases are.
        view->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        m_tabWidget->insertTab(r, view, labels.value(r));
        m_diagrams.push_back(diagram);
        m_views.push_back(view);
        m_models.push_back(new EstimatesTableModel(m_releases, m_sites, m_years, m_summary, r,
                                                   m_result, m_estimatePrecision, m_errorPrecision,
                                                   this));
    }
    drawPaths();
}

EstimatesWidget::~EstimatesWidget() = default;

RivuletDiagram* EstimatesWidget::diagram(int release) const
{
    return release >= 0 && release < int(m_diagrams.size()) ? m_diagrams[std::size_t(release)]
                                                            : nullptr;
}

EstimatesTableModel* EstimatesWidget::tableModel(int release) const
{
    return release >= 0 && release < int(m_models.size()) ? m_models[std::size_t(release)]
                                                          : nullptr;
}

void EstimatesWidget::drawPaths()
{
    const QStringList sites = m_sites.shortNames();
    const QStringList years = m_years.yearLabels();
    for (std::size_t r = 0; r < m_diagrams.size(); ++r) {
        RivuletDiagram* diagram = m_diagrams[r];
        diagram->clearPaths();
        const ReleaseEstimates estimates(m_summary, ReleasePos{int(r)}, m_result, sites, years,
                                         m_estimatePrecision, m_errorPrecision);
        for (const DiagramPathSpec& path : estimates.paths()) {
            diagram->addPath(path.key, path.label, QPen(path.colour), DiagramGeometry::labelFont(),
                             true);
        }
    }
    currentTabChanged(m_tabWidget->currentIndex());
}

void EstimatesWidget::setResult(const ModelResult* result)
{
    m_result = result;
    drawPaths();
    for (EstimatesTableModel* model : m_models)
        model->setResult(result);
    m_tableView->resizeColumnsToContents();
}

void EstimatesWidget::setPrecision(int estimatePrecision, int errorPrecision)
{
    m_estimatePrecision = estimatePrecision;
    m_errorPrecision = errorPrecision;
    drawPaths();
    for (EstimatesTableModel* model : m_models)
        model->setPrecision(estimatePrecision, errorPrecision);
    m_tableView->resizeColumnsToContents();
}

void EstimatesWidget::currentTabChanged(int index)
{
    EstimatesTableModel* model =
        index >= 0 && index < int(m_models.size()) ? m_models[std::size_t(index)] : nullptr;
    m_tableView->setModel(model);
    if (!model)
        return;
    // Every estimate with its standard error and every reach's name in full, never "...".
    m_tableView->resizeColumnsToContents();
}

void EstimatesWidget::onPathHoverEnterEvent(int release, rivulet::PathKey key)
{
    EstimatesTableModel* model = tableModel(release);
    if (!model)
        return;
    m_infoLabel->setText(model->estimates().explanation(key));
    model->highlight(key);
}

void EstimatesWidget::onPathHoverLeaveEvent(int release)
{
    m_infoLabel->clear();
    if (EstimatesTableModel* model = tableModel(release))
        model->clearHighlight();
}

} // namespace rivulet
