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
    : QAbstractTableModel(parent), sites_(sites), years_(years), summary_(summary),
      release_(release), result_(result), estimatePrecision_(estimatePrecision),
      errorPrecision_(errorPrecision)
{
    rebuild();
}

EstimatesTableModel::~EstimatesTableModel() = default;

void EstimatesTableModel::rebuild()
{
    beginResetModel();
    estimates_ = std::make_unique<ReleaseEstimates>(summary_, ReleasePos{release_}, result_,
                                                    sites_.shortNames(), years_.yearLabels(),
                                                    estimatePrecision_, errorPrecision_);
    endResetModel();
}

int EstimatesTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : estimates_->rowCount();
}

int EstimatesTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : estimates_->columnCount();
}

QVariant EstimatesTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const bool highlighted = index.row() == highlightRow_ && index.column() == highlightColumn_;
    switch (role) {
    case Qt::DisplayRole:
        return estimates_->cellText(index.row(), index.column());
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
        return estimates_->hasValue(index.row(), index.column()) ? QVariant()
                                                                 : QVariant(QBrush(Qt::lightGray));
    default:
        return {};
    }
}

QVariant EstimatesTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role == Qt::DisplayRole)
        return orientation == Qt::Horizontal ? estimates_->columnLabel(section)
                                             : estimates_->rowLabel(section);
    if (role == Qt::FontRole) {
        QFont font;
        font.setWeight(QFont::Bold);
        return font;
    }
    return {};
}

void EstimatesTableModel::setResult(const ModelResult* result)
{
    result_ = result;
    rebuild();
}

void EstimatesTableModel::setPrecision(int estimatePrecision, int errorPrecision)
{
    estimatePrecision_ = estimatePrecision;
    errorPrecision_ = errorPrecision;
    rebuild();
}

void EstimatesTableModel::highlight(const PathKey& key)
{
    highlightRow_ = estimates_->rowOf(key);
    highlightColumn_ = estimates_->columnOf(key);
    if (highlightRow_ < 0 || highlightColumn_ < 0)
        highlightRow_ = highlightColumn_ = -1;
    emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

void EstimatesTableModel::clearHighlight()
{
    highlightRow_ = highlightColumn_ = -1;
    emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

EstimatesWidget::EstimatesWidget(const ReleasesControllerI& releases, const SitesControllerI& sites,
                                 const YearsControllerI& years, const ReleaseSummary& summary,
                                 int estimatePrecision, int errorPrecision,
                                 const ModelResult* result, QWidget* parent)
    : QWidget(parent), releases_(releases), sites_(sites), years_(years), summary_(summary),
      estimatePrecision_(estimatePrecision), errorPrecision_(errorPrecision), result_(result),
      tabWidget_(new QTabWidget), tableView_(new QTableView), infoLabel_(new QLabel),
      doneButton_(new QPushButton(QStringLiteral("Done")))
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
    splitter->addWidget(tabWidget_);
    splitter->addWidget(tableView_);
    // A range of the table copies to the clipboard (Ctrl+C) for a spreadsheet.
    tableView_->setSelectionMode(QAbstractItemView::ContiguousSelection);
    lum::TableCopy::install(tableView_);
    layout->addWidget(splitter);
    infoLabel_->setObjectName(QStringLiteral("infoLabel"));
    infoLabel_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    QFont infoFont = infoLabel_->font();
    infoFont.setPointSize(10);
    infoLabel_->setFont(infoFont);
    layout->addWidget(infoLabel_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(doneButton_);
    layout->addLayout(buttons);

    connect(tabWidget_, &QTabWidget::currentChanged, this, &EstimatesWidget::currentTabChanged);
    connect(doneButton_, &QPushButton::clicked, this, &EstimatesWidget::doneClicked);
    const QStringList labels = releases_.labels();
    for (int r = 0; r < releases_.count(); ++r) {
        auto* diagram = new RivuletDiagram(releases_, sites_, years_, r, this);
        connect(diagram, &RivuletDiagram::pathHoverEnterEvent, this,
                &EstimatesWidget::onPathHoverEnterEvent);
        connect(diagram, &RivuletDiagram::pathHoverLeaveEvent, this,
                &EstimatesWidget::onPathHoverLeaveEvent);
        diagram->build();
        auto* view = new QGraphicsView(diagram);
        // A diagram wider than its window opens at its left edge, where the releases are.
        view->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        tabWidget_->insertTab(r, view, labels.value(r));
        diagrams_.push_back(diagram);
        views_.push_back(view);
        models_.push_back(new EstimatesTableModel(releases_, sites_, years_, summary_, r, result_,
                                                  estimatePrecision_, errorPrecision_, this));
    }
    drawPaths();
}

EstimatesWidget::~EstimatesWidget() = default;

RivuletDiagram* EstimatesWidget::diagram(int release) const
{
    return release >= 0 && release < int(diagrams_.size()) ? diagrams_[std::size_t(release)]
                                                           : nullptr;
}

EstimatesTableModel* EstimatesWidget::tableModel(int release) const
{
    return release >= 0 && release < int(models_.size()) ? models_[std::size_t(release)] : nullptr;
}

void EstimatesWidget::drawPaths()
{
    const QStringList sites = sites_.shortNames();
    const QStringList years = years_.yearLabels();
    for (std::size_t r = 0; r < diagrams_.size(); ++r) {
        RivuletDiagram* diagram = diagrams_[r];
        diagram->clearPaths();
        const ReleaseEstimates estimates(summary_, ReleasePos{int(r)}, result_, sites, years,
                                         estimatePrecision_, errorPrecision_);
        for (const DiagramPathSpec& path : estimates.paths()) {
            diagram->addPath(path.key, path.label, QPen(path.colour), DiagramGeometry::labelFont(),
                             true);
        }
    }
    currentTabChanged(tabWidget_->currentIndex());
}

void EstimatesWidget::setResult(const ModelResult* result)
{
    result_ = result;
    drawPaths();
    for (EstimatesTableModel* model : models_)
        model->setResult(result);
    tableView_->resizeColumnsToContents();
}

void EstimatesWidget::setPrecision(int estimatePrecision, int errorPrecision)
{
    estimatePrecision_ = estimatePrecision;
    errorPrecision_ = errorPrecision;
    drawPaths();
    for (EstimatesTableModel* model : models_)
        model->setPrecision(estimatePrecision, errorPrecision);
    tableView_->resizeColumnsToContents();
}

void EstimatesWidget::currentTabChanged(int index)
{
    EstimatesTableModel* model =
        index >= 0 && index < int(models_.size()) ? models_[std::size_t(index)] : nullptr;
    tableView_->setModel(model);
    if (!model)
        return;
    // Every estimate with its standard error and every reach's name in full, never "...".
    tableView_->resizeColumnsToContents();
}

void EstimatesWidget::onPathHoverEnterEvent(int release, rivulet::PathKey key)
{
    EstimatesTableModel* model = tableModel(release);
    if (!model)
        return;
    infoLabel_->setText(model->estimates().explanation(key));
    model->highlight(key);
}

void EstimatesWidget::onPathHoverLeaveEvent(int release)
{
    infoLabel_->clear();
    if (EstimatesTableModel* model = tableModel(release))
        model->clearHighlight();
}

} // namespace rivulet
